// The data of a bulk OUT request, read from the client's socket as the model asks for it and
// recorded for the transfer log on the way.
#pragma once

#include "core/DataRecorder.h"
#include "core/Transfer.h"

#include <vector>

namespace zel::sim {

class SocketOutData final : public OutData {
public:
    SocketOutData(int fd, uint64_t size) : fd_(fd), size_(size) {}

    uint64_t size() const override { return size_; }
    uint64_t consumed() const override { return consumed_; }
    bool read(std::span<uint8_t> into) override;
    // The first min(count, size()) bytes, read ahead before anything was consumed; later reads
    // still deliver them. Empty when the client went away.
    std::span<const uint8_t> peek(size_t count);
    bool skip(uint64_t count) override;

    // The client went away before all its data arrived.
    bool failed() const { return failed_; }
    const DataRecorder& recorder() const { return recorder_; }

private:
    int fd_;
    uint64_t size_;
    uint64_t consumed_ = 0;
    bool failed_ = false;
    DataRecorder recorder_;
    std::vector<uint8_t> peeked_;  // read ahead, not yet consumed
};

}  // namespace zel::sim
