#include "trace/IoDecoder.h"

namespace zel::trace {
namespace {

// Bits (of the raw byte, high clock first) that carry the lines a mode reads.
std::uint8_t dualByte(const std::uint8_t* r) {
    auto pick = [](std::uint8_t raw) {
        return static_cast<unsigned>((raw >> 5 & 1) << 3 | (raw >> 4 & 1) << 2 | (raw >> 1 & 1) << 1 | (raw & 1));
    };
    return static_cast<std::uint8_t>(pick(r[0]) << 4 | pick(r[1]));
}

std::uint8_t singleByte(const std::uint8_t* r) {
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) value = value << 2 | (r[i] >> 4 & 1) << 1 | (r[i] & 1);
    return static_cast<std::uint8_t>(value);
}

}  // namespace

unsigned IoDecoder::rawBytesPerByte(std::uint32_t ioMode) {
    if (ioMode == 1 || ioMode == 2) return 2;
    if (ioMode == 3 || ioMode == 4) return 1;
    return 4;
}

void IoDecoder::feed(std::span<const std::uint8_t> raw, std::uint32_t ioMode, std::vector<std::uint8_t>& out) {
    const unsigned per = rawBytesPerByte(ioMode);
    for (std::uint8_t byte : raw) {
        carry_[carryLength_++] = byte;
        if (carryLength_ < per) continue;
        carryLength_ = 0;
        if (per == 1) out.push_back(carry_[0]);
        else if (per == 2) out.push_back(dualByte(carry_));
        else out.push_back(singleByte(carry_));
    }
}

}  // namespace zel::trace
