#include "CProject.h"

namespace zel::api {

void CProject::presetImageBuffer(size_t size)
{
    if (imageBuffer_ && imageBuffer_->size() == size) {
        // Same contents as a fresh buffer without holding two of them at once.
        imageBuffer_->erase();
        return;
    }
    // Made while the old one is still held, so a caller who kept the old address can tell.
    imageBuffer_ = std::make_unique<ImageBuffer>(size);
}

}  // namespace zel::api
