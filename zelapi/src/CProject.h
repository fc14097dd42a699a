// The API object: the one process-wide state behind the Cli exports. It is the hyper-terminal
// receive queue and holds the image buffers and what the last chip-configuration file said.
#pragma once

#include "CQueue.h"
#include "ImageBuffer.h"
#include "device/DeviceFacts.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace zel::api {

// What the last chip-configuration file read said about the chip.
struct ChipInformation {
    std::array<wchar_t, 256> vendorName{};
    std::array<wchar_t, 100> chipName{};
    uint32_t voltageMillivolts = 0;
    uint8_t addressModeFlag = 0;
    uint8_t qeFlag = 0;
    uint8_t dieEraseFlag = 0;
};

class CProject : public CQueue {
public:
    static constexpr size_t kStandardBufferSize = device::kStandardBufferSize;  // 64 MiB
    static constexpr size_t kLargeBufferSize = device::kLargeBufferSize;  // 256 MiB, for G2 chips

    CProject() = default;

    // The in-process image buffer, every byte 0xFF where nothing was written; empty until
    // presetImageBuffer. The first call after a preset pays for it.
    std::span<uint8_t> imageBuffer() { return imageBuffer_ ? imageBuffer_->bytes() : std::span<uint8_t>(); }
    // Makes the image buffer `size` bytes, every byte 0xFF: a new buffer at a new address, or the
    // same one erased when it already has that size. On allocation failure it throws
    // std::bad_alloc and the buffer stays as it was.
    void presetImageBuffer(size_t size);

    std::vector<uint8_t>& byteVector() { return byteVector_; }
    ChipInformation& chip() { return chip_; }
    // Size in bytes of the chip emulated on target 1 and target 2.
    std::array<uint32_t, 2>& chipSizes() { return chipSizes_; }

    // Why the last image-file operation failed; empty when it succeeded.
    const std::string& imageError() const { return imageError_; }
    void setImageError(std::string text) { imageError_ = std::move(text); }

private:
    ChipInformation chip_;
    std::array<uint32_t, 2> chipSizes_{};
    std::vector<uint8_t> byteVector_;
    std::unique_ptr<ImageBuffer> imageBuffer_;
    std::string imageError_;
};

}  // namespace zel::api
