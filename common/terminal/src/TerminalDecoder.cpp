#include "terminal/TerminalDecoder.h"

namespace zel::terminal {

void TerminalDecoder::feed(std::span<const uint8_t> bytes,
                           const std::function<void(const Message&, const MessageText&)>& onMessage) {
    parser_.feed(bytes, [&](const Message& message) {
        ++messages_;
        const MessageText text = renderMessage(message, tables_);
        if (lastType_ && *lastType_ != message.type) log_.endRow();
        lastType_ = message.type;
        log_.append(text.text, text.kind);
        if (text.checkPoint) checkPoints_.push_back({*text.checkPoint, message.type});
        if (onMessage) onMessage(message, text);
    });
}

void TerminalDecoder::clear() {
    log_.clear();
    checkPoints_.clear();
    checkPoints_.shrink_to_fit();
    lastType_.reset();
}

}  // namespace zel::terminal
