// A fast 64-bit digest of a data phase, so the simulator's transfer log can identify a 256 MiB
// transfer without keeping it or slowing it down. Not cryptographic: four independent
// multiply-rotate lanes over 8-byte words, folded at the end.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>

namespace zel::simwire {

class DataDigest {
public:
    void update(std::span<const uint8_t> data) {
        const uint8_t* p = data.data();
        size_t n = data.size();
        // Finish a partial word left by the previous update first.
        while (pendingBytes_ != 0 && n > 0) { push(*p++); --n; }
        while (n >= 32) {
            for (int lane = 0; lane < 4; ++lane) mix(lane, load(p + 8 * lane));
            p += 32;
            n -= 32;
        }
        while (n > 0) { push(*p++); --n; }
        length_ += data.size();
    }

    uint64_t value() const {
        uint64_t h = length_ * kPrime1;
        for (int lane = 0; lane < 4; ++lane) h = rotl(h ^ (lanes_[lane] * kPrime2), 27) * kPrime1 + kPrime3;
        for (unsigned i = 0; i < pendingBytes_; ++i) h = rotl(h ^ (tail_[i] * kPrime3), 11) * kPrime1;
        h ^= h >> 33; h *= kPrime2; h ^= h >> 29; h *= kPrime3; h ^= h >> 32;
        return h;
    }

    static uint64_t of(std::span<const uint8_t> data) {
        DataDigest d;
        d.update(data);
        return d.value();
    }

private:
    static constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
    static constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
    static constexpr uint64_t kPrime3 = 0x165667B19E3779F9ULL;

    static uint64_t rotl(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }
    static uint64_t load(const uint8_t* p) { uint64_t v; std::memcpy(&v, p, 8); return v; }
    void mix(int lane, uint64_t word) { lanes_[lane] = rotl(lanes_[lane] + word * kPrime2, 31) * kPrime1; }

    // Bytes that do not fill a 32-byte stripe are gathered so that any split of the same data
    // into updates gives the same digest.
    void push(uint8_t byte) {
        tail_[pendingBytes_++] = byte;
        if (pendingBytes_ == 32) {
            for (int lane = 0; lane < 4; ++lane) mix(lane, load(tail_ + 8 * lane));
            pendingBytes_ = 0;
        }
    }

    uint64_t lanes_[4] = {kPrime1, kPrime2, kPrime3, kPrime1 ^ kPrime2};
    uint64_t length_ = 0;
    uint8_t tail_[32] = {};
    unsigned pendingBytes_ = 0;
};

}  // namespace zel::simwire
