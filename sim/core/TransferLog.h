// The transfer log of one simulated device: one line per transfer or note, oldest first,
// bounded (the oldest lines go first). Sequence numbers keep counting across clears.
#pragma once

#include "core/DataRecorder.h"
#include "core/Transfer.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>

namespace zel::sim {

class TransferLog {
public:
    explicit TransferLog(size_t limit) : limit_(limit) {}

    void out(uint8_t endpoint, const DataRecorder& data, TransferStatus status);
    void in(uint8_t endpoint, uint64_t requested, const DataRecorder& data, TransferStatus status);
    void control(const Setup& setup, const DataRecorder& data, TransferStatus status);
    void note(std::string_view text);

    std::string text() const;
    void clear();

private:
    void append(const std::string& body);

    mutable std::mutex mutex_;
    std::deque<std::string> lines_;
    uint64_t nextSeq_ = 1;
    size_t limit_;
};

}  // namespace zel::sim
