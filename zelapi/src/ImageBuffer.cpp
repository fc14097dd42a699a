#include "ImageBuffer.h"

#include "image/LargePages.h"

#include <cstring>
#include <new>

namespace zel::api {
namespace {

// Aligned to a large page so that all of the buffer can be backed by large pages: a preset then
// costs a few hundred faults instead of 65,536 for 256 MiB.
constexpr std::align_val_t kLargePage{size_t{2} << 20};

}  // namespace

void ImageBuffer::Release::operator()(uint8_t* bytes) const
{
    ::operator delete(bytes, kLargePage);
}

ImageBuffer::ImageBuffer(size_t size)
    : storage_(static_cast<uint8_t*>(::operator new(size, kLargePage))), size_(size)
{
}

std::span<uint8_t> ImageBuffer::bytes()
{
    if (!preset_.load(std::memory_order_acquire)) {
        std::lock_guard lock(presetting_);
        if (!preset_.load(std::memory_order_relaxed)) {
            image::detail::adviseLargePages(storage_.get(), size_);
            std::memset(storage_.get(), kErased, size_);
            preset_.store(true, std::memory_order_release);
        }
    }
    return {storage_.get(), size_};
}

void ImageBuffer::erase()
{
    if (preset_.load(std::memory_order_acquire))
        std::memset(storage_.get(), kErased, size_);
}

}  // namespace zel::api
