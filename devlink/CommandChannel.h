// The transfer primitives every command is built from, bound to one device slot. A channel of
// a slot that is not open sends nothing and fails every primitive.
#pragma once

#include "CommandFrame.h"
#include "transport/Transport.h"

#include <cstdint>
#include <span>

namespace zel::devlink {

inline constexpr uint8_t kCommandEndpoint = 0x01;  // bulk OUT: frames and host-to-device data
inline constexpr uint8_t kReplyEndpoint = 0x82;    // bulk IN: replies and device-to-host data

class CommandChannel {
public:
    explicit CommandChannel(transport::DeviceHandle* device) : device_(device) {}

    bool isOpen() const { return device_ != nullptr; }
    transport::DeviceHandle* device() const { return device_; }

    // One 16-byte frame on the command endpoint.
    bool sendCommand(const CommandFrame& frame);
    // A reply of fixed length. The buffer is zeroed first; a failed or short reply leaves it
    // all zeros and fails.
    bool readReply(std::span<uint8_t> reply);
    // A whole data block out; a zero-length block is sent as a zero-length packet.
    bool sendData(std::span<const uint8_t> data);
    // A whole data block in; a short block fails.
    bool receiveData(std::span<uint8_t> data);
    // A request on the control pipe.
    transport::TransferResult control(const transport::SetupPacket& setup, std::span<uint8_t> data);

private:
    transport::DeviceHandle* device_;
};

}  // namespace zel::devlink
