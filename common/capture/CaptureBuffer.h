// The host buffer a capture fills (128 MiB by default). Shared: the capture thread, the
// continuous writer and a save each hold it, so clearing or restarting a capture never frees
// storage one of them still reads.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace zel::capture {

inline constexpr uint32_t kCaptureBufferBytes = 0x8000000;

class CaptureBuffer {
public:
    explicit CaptureBuffer(uint32_t size) : size_(size), bytes_(std::make_unique_for_overwrite<uint8_t[]>(size)) {}

    std::span<uint8_t> bytes() { return {bytes_.get(), size_}; }
    std::span<const uint8_t> bytes() const { return {bytes_.get(), size_}; }
    uint32_t size() const { return size_; }

private:
    uint32_t size_;
    std::unique_ptr<uint8_t[]> bytes_;
};

}  // namespace zel::capture
