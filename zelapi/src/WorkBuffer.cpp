#include "WorkBuffer.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace zel::api {
namespace {

// A fresh buffer of a whole chip is faulted in page by page as it is filled: with 4 KiB pages
// that costs as much as sending it. Large pages, where the system offers them, cut that to a
// few hundred faults. Only a hint.
void adviseLargePages(uint8_t* buffer, size_t size)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
    const auto start = (reinterpret_cast<uintptr_t>(buffer) + kLargePage - 1) & ~(kLargePage - 1);
    const auto end = (reinterpret_cast<uintptr_t>(buffer) + size) & ~(kLargePage - 1);
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
    (void)buffer;
    (void)size;
#endif
}

}  // namespace

WorkBuffer::WorkBuffer(size_t size) : bytes_(std::make_unique_for_overwrite<uint8_t[]>(size)), size_(size)
{
    adviseLargePages(bytes_.get(), size_);
}

}  // namespace zel::api
