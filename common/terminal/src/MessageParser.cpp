#include "terminal/MessageParser.h"

#include <algorithm>

namespace zel::terminal {

void MessageParser::matchHeader(uint8_t byte) {
    if (byte == kHeader[matched_]) {
        if (++matched_ == sizeof kHeader) {
            matched_ = 0;
            stage_ = Stage::Type;
        }
        return;
    }
    // Only the first header byte can begin a header again (it occurs nowhere else in it).
    skipped_ += matched_;
    if (byte == kHeader[0]) {
        matched_ = 1;
    } else {
        matched_ = 0;
        ++skipped_;
    }
}

void MessageParser::feed(std::span<const uint8_t> bytes, const Sink& sink) {
    for (size_t at = 0; at < bytes.size(); ++at) {
        const uint8_t byte = bytes[at];
        switch (stage_) {
        case Stage::Header:
            matchHeader(byte);
            break;
        case Stage::Type:
            current_.type = byte;
            current_.payload.clear();
            stage_ = Stage::Length;
            break;
        case Stage::Length:
            remaining_ = byte;
            stage_ = Stage::Payload;
            if (remaining_ == 0) {
                stage_ = Stage::Header;
                sink(current_);
            }
            break;
        case Stage::Payload: {
            const size_t take = std::min(remaining_, bytes.size() - at);
            current_.payload.insert(current_.payload.end(), bytes.begin() + at, bytes.begin() + at + take);
            remaining_ -= take;
            at += take - 1;
            if (remaining_ == 0) {
                stage_ = Stage::Header;
                sink(current_);
            }
            break;
        }
        }
    }
}

}  // namespace zel::terminal
