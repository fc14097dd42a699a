#include "device/FrameDecoder.h"

#include "device/FrameRules.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace zel::sim {
namespace {

std::string opcodeText(uint8_t opcode) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", opcode);
    return text;
}

}  // namespace

void FrameDecoder::reset() {
    pendingData_.reset();
    replies_.clear();
}

void FrameDecoder::reply(std::vector<uint8_t> bytes) {
    replies_.replace(std::make_unique<BytesReply>(std::move(bytes)));
}

void FrameDecoder::receive(OutData& data) {
    if (pendingData_) {
        receiveData(data);
        return;
    }
    if (data.size() == 0) return;  // a zero-length packet ends an empty data phase
    if (data.size() != sizeof(Frame::bytes)) {
        findings_.flag("bulk OUT of " + std::to_string(data.size()) +
                       " bytes where a 16-byte command frame was expected");
        return;
    }
    Frame frame;
    if (!data.read(frame.bytes)) return;
    dispatch(frame);
}

void FrameDecoder::dispatch(const Frame& frame) {
    replies_.clear();
    const FrameRule* rule = findFrameRule(frame.opcode());
    if (!rule) {
        findings_.flag("unknown opcode " + opcodeText(frame.opcode()));
        return;
    }
    if (auto bad = reservedByteFindings(frame, *rule); !bad.empty())
        findings_.flag("opcode " + opcodeText(frame.opcode()) + " (" + rule->name + "): " + bad);
    const auto& handler = table_.frameHandler(frame.opcode());
    if (handler) handler(frame, *this);
    else if (!table_.dataHandler(frame.opcode())) findings_.flag("opcode " + opcodeText(frame.opcode()) + " (" + rule->name + ") is not simulated");
    if (rule->dataLength) {
        if (auto length = rule->dataLength(frame); length > 0) pendingData_ = PendingData{frame, length};
    }
}

// The device counts bytes, not transfers: a transfer that ends on a whole packet may be
// followed by more of the same data phase, and a short packet (or the announced length) ends it.
void FrameDecoder::receiveData(OutData& data) {
    auto& pending = *pendingData_;
    const auto length = std::min(data.size(), pending.length - pending.received);
    if (const auto& handler = table_.dataHandler(pending.frame.opcode()))
        handler(pending.frame, data, length, pending.received, *this);
    pending.received += length;
    const bool excess = data.size() > length;
    if (!excess && pending.received == pending.length) {
        pendingData_.reset();
        return;
    }
    if (!excess && data.size() > 0 && data.size() % kPacketSize == 0) return;  // more may follow
    findings_.flag("opcode " + opcodeText(pending.frame.opcode()) + " announced " + std::to_string(pending.length) +
                   " data bytes, the data phase has " + std::to_string(pending.received + data.size() - length));
    pendingData_.reset();
}

}  // namespace zel::sim
