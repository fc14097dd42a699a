#include "image/WorkImage.h"

#include <algorithm>

#include "image/LargePages.h"

namespace zel::image::detail {

void WorkImage::reserve(size_t capacity) {
    if (capacity <= bytes_.capacity()) return;
    bytes_.reserve(capacity);
    // The storage beyond the current size is not touched yet.
    adviseLargePages(bytes_.data() + bytes_.size(), bytes_.capacity() - bytes_.size());
}

// Extends the covered stretch so that it holds [begin, end), unless the filled span would then
// exceed the limit. Towards higher addresses it grows in steps (the capacity doubles, so
// reallocation stays amortised linear); towards lower ones every extension at least doubles the
// stretch, because each one moves all bytes. The stretch never exceeds the limit: near it, the
// unfilled bytes at the far end are given up.
bool WorkImage::cover(uint64_t begin, uint64_t end) {
    uint64_t low = std::min(lowest_, begin);
    uint64_t high = std::max(end_, end);
    if (high - low > spanLimit_) return false;

    if (bytes_.empty()) {
        base_ = begin / kStep * kStep;
        if (end - base_ > spanLimit_) base_ = begin;
        uint64_t top = std::min({kAddressSpace, std::max(end, base_ + kStep), base_ + spanLimit_});
        reserve(std::min<uint64_t>(spanLimit_, std::max(top - base_, std::min<uint64_t>(expectedSize_, kAddressSpace - base_))));
        bytes_.resize(top - base_, 0xFF);
        return true;
    }

    uint64_t base = base_;
    uint64_t top = base_ + bytes_.size();
    if (begin < base) {
        base = std::min(begin / kStep * kStep, base - std::min<uint64_t>(base, bytes_.size()));
        if (high > spanLimit_) base = std::max(base, high - spanLimit_);
        top = std::min(top, base + spanLimit_);
    }
    if (end > top) {
        top = std::min({kAddressSpace, std::max(end, top + kStep), low + spanLimit_});
        if (top > spanLimit_) base = std::max(base, top - spanLimit_);
    }

    if (base > base_) {
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<ptrdiff_t>(base - base_));
        base_ = base;
    }
    if (top < base_ + bytes_.size()) bytes_.resize(top - base_);
    size_t size = top - base;
    if (size > bytes_.capacity())
        reserve(std::min<uint64_t>({spanLimit_, kAddressSpace - base, std::max<uint64_t>(size, bytes_.capacity() * 2)}));
    if (base < base_) {
        bytes_.insert(bytes_.begin(), base_ - base, 0xFF);
        base_ = base;
    }
    bytes_.resize(size, 0xFF);
    return true;
}

Image WorkImage::take() {
    if (lowest_ >= end_) return {};
    size_t size = end_ - lowest_;
    if (lowest_ > base_) std::memmove(bytes_.data(), bytes_.data() + (lowest_ - base_), size);
    bytes_.resize(size);
    // Do not hand the caller a mostly unused stretch.
    if (bytes_.capacity() / 2 > size) bytes_.shrink_to_fit();
    return std::move(bytes_);
}

}  // namespace zel::image::detail
