// The link between the device libraries and an emulator: enumerate devices of one USB
// identity, open them, and move bulk and control transfers. Two backends implement it:
// libusb (real hardware) and the simulator (a zelsim process reached through ZELMOR_SIM).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace zel::transport {

inline constexpr std::chrono::milliseconds kBulkTimeout{65536};
inline constexpr std::chrono::milliseconds kControlTimeout{100000};

// Per-transfer time-outs. Tests shorten them; the defaults are the pipe time-outs of the device.
// Linux usbfs limits the memory in flight (16 MiB by default), so a long bulk transfer is
// moved in chunks of at most this size, each with its own time-out. It is a multiple of 512 (the
// high-speed bulk packet size), so every chunk but the last ends on a packet boundary and the
// device sees one stream.
inline constexpr size_t kMaxBulkChunk = size_t{4} << 20;
static_assert(kMaxBulkChunk % 512 == 0);

struct Timeouts {
    std::chrono::milliseconds bulk = kBulkTimeout;
    std::chrono::milliseconds control = kControlTimeout;
};

// Standard USB SETUP packet fields (host byte order; backends encode them little-endian).
struct SetupPacket {
    uint8_t requestType = 0;
    uint8_t request = 0;
    uint16_t value = 0;
    uint16_t index = 0;
    uint16_t length = 0;

    bool isDeviceToHost() const { return (requestType & 0x80) != 0; }
};

// ok: the transfer completed without error. transferred: bytes actually moved. An IN transfer
// may end short (the device sent a short packet); callers that need the full length compare.
struct TransferResult {
    bool ok = false;
    size_t transferred = 0;

    bool complete(size_t expected) const { return ok && transferred == expected; }
};

// Why a device cannot be used, as far as the transport can tell: for a device that could not be
// opened, why not; for an open one, how its most recent failed transfer failed. The numbers are
// part of the API (the ZEL_REASON_ codes).
enum class Problem : uint8_t {
    None = 0,
    NoDevice = 1,
    Busy = 2,          // held by another process
    Permission = 3,    // no access to the device node
    Timeout = 4,
    Disconnected = 5,  // unplugged, or the simulator went away
    DeviceError = 6,   // stall, protocol error, short transfer
};

enum class EndpointType : uint8_t { Control = 0, Isochronous = 1, Bulk = 2, Interrupt = 3 };

struct EndpointInfo {
    uint8_t address = 0;  // bit 7 set = IN
    EndpointType type = EndpointType::Bulk;
    uint16_t maxPacketSize = 0;
};

// One opened and claimed device (interface 0). Destroying it releases the device.
class DeviceHandle {
public:
    virtual ~DeviceHandle() = default;

    // Sends all of data; ok only when every byte was accepted. An empty span sends a
    // zero-length packet.
    virtual TransferResult bulkOut(uint8_t endpoint, std::span<const uint8_t> data) = 0;
    // Reads up to data.size() bytes. An empty span issues nothing and succeeds.
    virtual TransferResult bulkIn(uint8_t endpoint, std::span<uint8_t> data) = 0;
    // data must hold at least setup.length bytes: filled for IN, sent for OUT.
    virtual TransferResult control(const SetupPacket& setup, std::span<uint8_t> data) = 0;
    // Endpoints of interface 0, alternate setting 0, in descriptor order.
    virtual std::vector<EndpointInfo> interfaceEndpoints() const = 0;
    // Factor applied to the host's fixed waits (erase wait, pauses). 1.0 on real hardware;
    // the simulator reports its own factor.
    virtual double timeScale() const { return 1.0; }
    // How the most recent failed transfer failed (kept until the next failure); None if none did.
    virtual Problem lastProblem() const { return Problem::None; }
};

// One device of the asked identity, in enumeration order. handle is null when the device is
// present but could not be opened (held by another process, no access).
struct DeviceEntry {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    std::unique_ptr<DeviceHandle> handle;
    Problem openProblem = Problem::None;  // why handle is null
    std::string location{};               // the device node or endpoint, for messages
};

class Transport {
public:
    virtual ~Transport() = default;
    // Lists the present devices with this vendor and product ID and tries to open each.
    virtual std::vector<DeviceEntry> enumerate(uint16_t vendorId, uint16_t productId) = 0;
    // After an enumeration that found no device: one line saying why, with what to do about it.
    virtual std::string nothingFoundReason() const { return {}; }
};

// The process's transport: the simulator when ZELMOR_SIM names a folder, else libusb.
// Time-outs: the defaults above; for the simulator, ZELMOR_SIM_TIMEOUT_MS (if set) replaces
// both, so tests need not wait a minute for a stalled device.
std::unique_ptr<Transport> makeTransport();
// What makeTransport() would choose now: the ZELMOR_SIM folder, empty for libusb. A holder of a
// transport compares it to make a new one once the choice has changed.
std::string transportSelection();

// Sleeps for a fixed host wait, scaled by the device's time scale.
void scaledSleep(const DeviceHandle& device, std::chrono::milliseconds wait);

}  // namespace zel::transport
