// Keeps what the transfer log shows of a data phase: every byte of a short one, the first
// bytes and a digest of a long one. Fed piece by piece as the data passes.
#pragma once

#include "simwire/DataDigest.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace zel::sim {

class DataRecorder {
public:
    static constexpr size_t kWholeLimit = 64;  // up to this many bytes are logged whole
    static constexpr size_t kHeadBytes = 16;

    void add(std::span<const uint8_t> bytes);
    uint64_t length() const { return length_; }
    // "data=<hex>" or "head=<hex> hash=<16 hex digits>".
    std::string logText() const;

private:
    std::array<uint8_t, kWholeLimit> first_{};
    uint64_t length_ = 0;
    simwire::DataDigest digest_;
};

std::string toHex(std::span<const uint8_t> bytes);

}  // namespace zel::sim
