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

// Extends the covered stretch so that it holds [begin, end). Towards the end of the window it
// grows in steps (the capacity doubles, so reallocation stays amortised linear); towards the
// start every extension at least doubles the stretch, because each one moves all bytes.
void WorkImage::cover(size_t begin, size_t end) {
    if (bytes_.empty()) {
        base_ = begin / kStep * kStep;
        size_t size = std::min(windowSize_ - base_, std::max(end - base_, kStep));
        reserve(std::max(size, std::min(expectedSize_, windowSize_ - base_)));
        bytes_.resize(size, 0xFF);
        return;
    }
    if (begin < base_) {
        size_t newBase = std::min(begin / kStep * kStep, base_ - std::min(base_, bytes_.size()));
        size_t added = base_ - newBase;
        if (bytes_.size() + added > bytes_.capacity())
            reserve(std::min(windowSize_ - newBase, std::max(bytes_.size() + added, bytes_.capacity() * 2)));
        bytes_.insert(bytes_.begin(), added, 0xFF);
        base_ = newBase;
    }
    if (end > base_ + bytes_.size()) {
        size_t size = std::min(windowSize_ - base_, std::max(end - base_, bytes_.size() + kStep));
        if (size > bytes_.capacity()) reserve(std::min(windowSize_ - base_, std::max(size, bytes_.capacity() * 2)));
        bytes_.resize(size, 0xFF);
    }
}

Image WorkImage::take() {
    if (lowest_ >= end_) return {};
    size_t size = end_ - lowest_;
    if (lowest_ > base_) std::memmove(bytes_.data(), bytes_.data() + (lowest_ - base_), size);
    bytes_.resize(size);
    // Do not hand the caller a mostly unused window.
    if (bytes_.capacity() / 2 > size) bytes_.shrink_to_fit();
    return std::move(bytes_);
}

}  // namespace zel::image::detail
