// The image a text reader assembles, over the 32-bit address space. Bytes no record wrote read
// as 0xFF. Storage is kept only for the stretch that records have reached (preset to 0xFF as it
// grows, in steps, towards either end), and never for more than the span limit, so a small file
// or one high in the address space costs little and data spread too wide are refused before
// anything is allocated for them; the result is that storage itself, trimmed in place to the
// filled range, so a large image is not copied again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "image/ReadResult.h"

namespace zel::image::detail {

class WorkImage {
public:
    static constexpr uint64_t kAddressSpace = uint64_t{1} << 32;

    // spanLimit: the widest span (highest - lowest + 1) accepted. expectedSize: a guess at the
    // image size (from the file size) that saves regrowing.
    WorkImage(size_t spanLimit, size_t expectedSize) : spanLimit_(spanLimit), expectedSize_(expectedSize) {}

    // Where count bytes from address go; they count as stored. Null, with nothing changed, when
    // they would widen the span beyond the limit. The caller has checked that 0 < count and
    // address + count <= kAddressSpace.
    uint8_t* place(uint64_t address, size_t count) {
        uint64_t end = address + count;
        if (address < base_ || end > base_ + bytes_.size()) {
            if (!cover(address, end)) return nullptr;
        }
        if (address < lowest_) lowest_ = address;
        if (end > end_) end_ = end;
        return bytes_.data() + (address - base_);
    }
    bool store(uint64_t address, const uint8_t* data, size_t count) {
        uint8_t* at = place(address, count);
        if (at) std::memcpy(at, data, count);
        return at != nullptr;
    }
    // The filled range so far; lowest() > end() while nothing is stored.
    uint64_t lowest() const { return lowest_; }
    uint64_t end() const { return end_; }
    // Bytes of storage held; never more than the span limit.
    size_t storage() const { return bytes_.capacity(); }
    // Bytes from the lowest to the highest address stored; empty when nothing was stored.
    // The work image is used up.
    Image take();

private:
    // Growing in steps keeps the preset out of the per-record path.
    static constexpr uint64_t kStep = uint64_t{1} << 16;

    bool cover(uint64_t begin, uint64_t end);
    void reserve(size_t capacity);

    size_t spanLimit_;
    size_t expectedSize_;
    uint64_t base_ = 0;  // address of bytes_[0]
    Image bytes_;        // the covered stretch
    uint64_t lowest_ = UINT64_MAX;
    uint64_t end_ = 0;   // highest address stored + 1
};

}  // namespace zel::image::detail
