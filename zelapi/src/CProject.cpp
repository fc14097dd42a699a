#include "CProject.h"

#include <algorithm>

namespace zel::api {

void CProject::presetImageBuffer(size_t size)
{
    if (imageBuffer_.size() == size) {
        // Same contents as a fresh buffer without holding two of them at once.
        std::ranges::fill(imageBuffer_, uint8_t{0xFF});
        return;
    }
    std::vector<uint8_t> fresh(size, uint8_t{0xFF});
    imageBuffer_.swap(fresh);
}

}  // namespace zel::api
