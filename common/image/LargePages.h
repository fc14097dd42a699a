// Asks the system to back a large, not yet touched buffer with large pages. Filling a 16 MiB
// work image page by page otherwise costs thousands of page faults, more than parsing it.
// Only a hint: where the system has no such thing, nothing happens.
#pragma once

#include <cstddef>

namespace zel::image::detail {

void adviseLargePages(void* buffer, size_t size);

}  // namespace zel::image::detail
