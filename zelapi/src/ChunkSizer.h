// How many bytes one device command of a reported transfer moves: about 50 ms at the rate the
// link has shown so far (at least 64 KiB), so that progress and a cancel come at least every
// 100 ms. On a USB 2.0 link (under 80 MB/s) that is at most 4 MiB a command; a faster link gets
// larger commands, since each command costs a round trip that would otherwise dominate.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace zel::api {

class ChunkSizer {
public:
    static constexpr uint64_t kMinChunk = 64 * 1024;
    static constexpr uint64_t kMaxChunk = uint64_t{256} << 20;  // the largest buffer
    static constexpr std::chrono::duration<double> kTarget{0.05};

    uint64_t next(uint64_t left) const { return std::min(left, size_); }

    void measured(uint64_t bytes, std::chrono::steady_clock::duration took)
    {
        const double seconds = std::max(std::chrono::duration<double>(took).count(), 1e-6);
        const double wanted = static_cast<double>(bytes) / seconds * kTarget.count();
        const auto rounded = static_cast<uint64_t>(std::min(wanted, static_cast<double>(kMaxChunk))) / kMinChunk * kMinChunk;
        size_ = std::clamp(rounded, kMinChunk, kMaxChunk);
    }

private:
    uint64_t size_ = kMinChunk;
};

}  // namespace zel::api
