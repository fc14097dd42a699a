// The bridge's side of one simulated emulator: a raw client of zelsim's wire protocol that moves
// exactly the transfers libusb submitted, one request per URB, so zelsim's transfer log shows the
// frames libusb sent. Requests carry no time-out: like a device that NAKs, a stalled transfer
// waits until libusb gives up and the bridge aborts it.
#pragma once

#include "simwire/SimProtocol.h"

#include <atomic>
#include <cstdint>
#include <utility>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace zel::test::usbbridge {

struct SimDescriptors {
    std::vector<uint8_t> device;         // 18 bytes
    std::vector<uint8_t> configuration;  // wTotalLength bytes
};

// How one transfer ended. Nak: the device has nothing to send or cannot take data now (a
// real device keeps NAKing until the host cancels).
enum class Outcome { Ok, Stall, Nak, Busy, Gone };

struct UpstreamResult {
    Outcome outcome = Outcome::Gone;
    size_t moved = 0;
};

class SimUpstream {
public:
    // Descriptors of the device served at endpoint, without claiming it; nothing when no
    // simulator answers there.
    static std::optional<SimDescriptors> describe(const std::filesystem::path& endpoint);

    // Connects and claims the device: Ok, Busy (another client holds it) or Gone.
    static std::pair<Outcome, std::unique_ptr<SimUpstream>> open(const std::filesystem::path& endpoint);

    ~SimUpstream();
    SimUpstream(const SimUpstream&) = delete;
    SimUpstream& operator=(const SimUpstream&) = delete;

    UpstreamResult bulkOut(uint8_t endpoint, std::span<const uint8_t> data);
    UpstreamResult bulkIn(uint8_t endpoint, std::span<uint8_t> into);
    // setup: the 8 SETUP bytes; data: OUT data, or room for the IN data (wLength bytes).
    UpstreamResult control(std::span<const uint8_t, 8> setup, std::span<uint8_t> data);

    // From another thread: a transfer in progress returns Gone at once, and so does every later
    // one. zelsim sees the client leave and frees the device.
    void abort();
    bool aborted() const { return aborted_; }

private:
    explicit SimUpstream(int fd) : fd_(fd) {}
    struct Reply;
    std::optional<SimDescriptors> hello(simwire::MsgType type, Outcome& outcome);
    std::optional<Reply> exchange(uint8_t type, uint8_t endpoint, uint64_t length, std::span<const uint8_t> setup,
                                  std::span<const uint8_t> outData);
    UpstreamResult receive(const std::optional<Reply>& reply, std::span<uint8_t> into);

    int fd_;
    std::atomic<bool> aborted_{false};
};

}  // namespace zel::test::usbbridge
