// The target's terminal byte stream cut into messages: 40 44 36 47, type, length, payload.
// Bytes outside a message are skipped; a header broken off part way is matched again from the
// byte that broke it, so a real header right after garbage is never lost.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace zel::terminal {

inline constexpr uint8_t kHeader[4] = {0x40, 0x44, 0x36, 0x47};

struct Message {
    uint8_t type = 0;
    std::vector<uint8_t> payload;
};

class MessageParser {
public:
    using Sink = std::function<void(const Message&)>;

    // Feeds bytes in arrival order; `sink` gets every message completed by them. A message cut
    // by the end of `bytes` is completed by a later call.
    void feed(std::span<const uint8_t> bytes, const Sink& sink);

    uint64_t skippedBytes() const { return skipped_; }  // bytes that were not part of a message
    bool insideMessage() const { return stage_ != Stage::Header || matched_ != 0; }

private:
    enum class Stage { Header, Type, Length, Payload };
    void matchHeader(uint8_t byte);

    Stage stage_ = Stage::Header;
    unsigned matched_ = 0;
    size_t remaining_ = 0;
    Message current_;
    uint64_t skipped_ = 0;
};

}  // namespace zel::terminal
