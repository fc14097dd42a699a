#include "WorkBuffer.h"

#include "image/LargePages.h"

namespace zel::api {

// A fresh buffer of a whole chip is faulted in page by page as it is filled: with 4 KiB pages
// that costs as much as sending it, so it asks for large pages.
WorkBuffer::WorkBuffer(size_t size) : bytes_(std::make_unique_for_overwrite<uint8_t[]>(size)), size_(size)
{
    image::detail::adviseLargePages(bytes_.get(), size_);
}

}  // namespace zel::api
