// The command endpoint of the device: bulk OUT transfers on endpoint 0x01 are either a command
// frame or the data phase that the previous frame announced; replies wait for bulk IN 0x82.
#pragma once

#include "device/CommandTable.h"

#include <optional>

namespace zel::sim {

class FrameDecoder final : public CommandContext {
public:
    static constexpr uint64_t kPacketSize = 512;  // bulk packets of a high-speed device

    FrameDecoder(const CommandTable& table, Findings& findings) : table_(table), findings_(findings) {}

    void receive(OutData& data);
    // False when no reply is pending.
    bool send(uint64_t maxLength, InData& reply) { return replies_.take(maxLength, reply); }
    // Forgets an announced data phase and an unread reply.
    void reset();

    void reply(std::vector<uint8_t> bytes) override;
    void reply(std::unique_ptr<ReplySource> source) override { replies_.replace(std::move(source)); }
    Findings& findings() override { return findings_; }

private:
    struct PendingData {
        Frame frame;
        uint64_t length;
        uint64_t received = 0;
    };

    void dispatch(const Frame& frame);
    void receiveData(OutData& data);

    const CommandTable& table_;
    Findings& findings_;
    ReplyQueue replies_;
    std::optional<PendingData> pendingData_;
};

}  // namespace zel::sim
