// Wire protocol between the simulator transport (device libraries) and zelsim.
//
// Each simulated emulator listens on a Unix stream socket "<name>.usb" in the ZELMOR_SIM
// folder; enumeration order is the sorted order of those names. zelsim's control socket in the
// same folder is "control.sock".
//
// A client connects, sends requests and reads one reply per request, strictly in turn. All
// integers are little-endian. A request is a RequestHeader, followed for BulkOut by `length`
// data bytes and for a host-to-device Control by setup.wLength data bytes. A reply is a
// ReplyHeader followed by `length` payload bytes (Describe/Open: a HelloPayload; BulkIn and
// device-to-host Control: the data read).
//
// Describe never claims the device. Open claims it for this connection (one holder at a time;
// a second Open gets Status::Busy). Closing the connection releases the device. Transfers on a
// connection that has not opened the device get Status::NotOpen.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zel::simwire {

inline constexpr uint32_t kRequestMagic = 0x51534C5A;  // "ZLSQ"
inline constexpr uint32_t kReplyMagic = 0x52534C5A;    // "ZLSR"
inline constexpr const char* kEndpointSuffix = ".usb";
inline constexpr const char* kControlSocketName = "control.sock";

enum class MsgType : uint8_t {
    Describe = 1,  // reply payload: HelloPayload
    Open = 2,      // reply payload: HelloPayload (also with Busy)
    BulkOut = 3,   // endpoint, length, data follows; reply length = bytes accepted
    BulkIn = 4,    // endpoint, length = most bytes wanted; reply carries the data
    Control = 5,   // setup; OUT data follows; reply length = bytes moved (+ IN data)
};

enum class Status : uint8_t {
    Ok = 0,
    Busy = 1,      // Open: another client holds the device
    Stall = 2,     // the endpoint reported an error (also injected failures)
    Timeout = 3,   // the device had nothing to send / could not accept (NAK until time-out)
    NotOpen = 4,   // transfer on a connection that does not hold the device
    BadRequest = 5,
};

#pragma pack(push, 1)
struct RequestHeader {
    uint32_t magic = kRequestMagic;
    uint8_t type = 0;
    uint8_t endpoint = 0;
    uint16_t reserved = 0;
    uint64_t length = 0;
    uint8_t setup[8] = {};
    uint32_t timeoutMs = 0;  // the client's time-out for this transfer (informational)
    uint32_t reserved2 = 0;
};
static_assert(sizeof(RequestHeader) == 32);

struct ReplyHeader {
    uint32_t magic = kReplyMagic;
    uint8_t status = 0;
    uint8_t reserved[3] = {};
    uint64_t length = 0;
};
static_assert(sizeof(ReplyHeader) == 16);

// Payload of Describe/Open replies, followed by the device descriptor (18 bytes) and the full
// configuration descriptor (wTotalLength bytes).
struct HelloPayload {
    uint32_t timeScaleMicro = 1000000;  // host fixed waits are scaled by timeScaleMicro / 1e6
    uint16_t deviceDescriptorLength = 0;
    uint16_t configDescriptorLength = 0;
};
static_assert(sizeof(HelloPayload) == 8);
#pragma pack(pop)

}  // namespace zel::simwire
