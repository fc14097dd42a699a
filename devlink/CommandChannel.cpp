#include "CommandChannel.h"

#include <algorithm>

namespace zel::devlink {

bool CommandChannel::sendCommand(const CommandFrame& frame) { return sendData(frame.bytes()); }

bool CommandChannel::readReply(std::span<uint8_t> reply) {
    std::ranges::fill(reply, uint8_t{0});
    if (receiveData(reply)) return true;
    std::ranges::fill(reply, uint8_t{0});  // no half-read reply is ever taken for a value
    return false;
}

bool CommandChannel::sendData(std::span<const uint8_t> data) {
    return device_ != nullptr && device_->bulkOut(kCommandEndpoint, data).complete(data.size());
}

bool CommandChannel::receiveData(std::span<uint8_t> data) {
    return device_ != nullptr && device_->bulkIn(kReplyEndpoint, data).complete(data.size());
}

transport::TransferResult CommandChannel::control(const transport::SetupPacket& setup, std::span<uint8_t> data) {
    if (device_ == nullptr) return {};
    return device_->control(setup, data);
}

}  // namespace zel::devlink
