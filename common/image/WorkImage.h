// The address window a text reader assembles into (16 MiB for Intel HEX, 4 MiB for S-record).
// Bytes no record wrote read as 0xFF. Storage is kept only for the stretch of the window that
// records have reached (preset to 0xFF as it grows, in steps, towards either end), so a small
// file or one high in the window costs little; the result is that storage itself, trimmed in
// place to the filled range, so a large image is not copied again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "image/ReadResult.h"

namespace zel::image::detail {

class WorkImage {
public:
    // expectedSize: a guess at the image size (from the file size) that saves regrowing.
    WorkImage(size_t windowSize, size_t expectedSize) : windowSize_(windowSize), expectedSize_(expectedSize) {}

    size_t windowSize() const { return windowSize_; }
    // Where count bytes from address go; they count as stored. The caller has checked that
    // 0 < count and address + count <= windowSize().
    uint8_t* place(size_t address, size_t count) {
        size_t end = address + count;
        if (address < base_ || end > base_ + bytes_.size()) cover(address, end);
        if (address < lowest_) lowest_ = address;
        if (end > end_) end_ = end;
        return bytes_.data() + (address - base_);
    }
    void store(size_t address, const uint8_t* data, size_t count) {
        if (count > 0) std::memcpy(place(address, count), data, count);
    }
    // Bytes from the lowest to the highest address stored; empty when nothing was stored.
    // The work image is used up.
    Image take();

private:
    // Growing in steps keeps the preset out of the per-record path.
    static constexpr size_t kStep = size_t{1} << 16;

    void cover(size_t begin, size_t end);
    void reserve(size_t capacity);

    size_t windowSize_;
    size_t expectedSize_;
    size_t base_ = 0;  // window address of bytes_[0]
    Image bytes_;      // the covered stretch of the window
    size_t lowest_ = SIZE_MAX;
    size_t end_ = 0;   // highest address stored + 1
};

}  // namespace zel::image::detail
