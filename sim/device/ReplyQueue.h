// The reply waiting on the bulk IN endpoint. A read takes min(requested, pending) bytes; a new
// command frame discards whatever was not read.
#pragma once

#include "core/Transfer.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace zel::sim {

class ReplySource {
public:
    virtual ~ReplySource() = default;
    virtual uint64_t pending() const = 0;
    // Appends the next n (<= pending()) bytes; they may point into the source.
    virtual void take(uint64_t n, InData& reply) = 0;
};

class BytesReply final : public ReplySource {
public:
    explicit BytesReply(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    uint64_t pending() const override { return bytes_.size() - position_; }
    void take(uint64_t n, InData& reply) override;

private:
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

class ReplyQueue {
public:
    // The drained source stays alive until the next frame: the pieces taken from it are sent
    // after take() returns.
    void replace(std::unique_ptr<ReplySource> source) { source_ = std::move(source); }
    void clear() { source_.reset(); }
    // False when nothing is pending.
    bool take(uint64_t maxLength, InData& reply);

private:
    std::unique_ptr<ReplySource> source_;
};

}  // namespace zel::sim
