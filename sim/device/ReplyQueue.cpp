#include "device/ReplyQueue.h"

#include <algorithm>

namespace zel::sim {

void BytesReply::take(uint64_t n, InData& reply) {
    reply.borrow(std::span<const uint8_t>(bytes_).subspan(position_, n));
    position_ += n;
}

bool ReplyQueue::take(uint64_t maxLength, InData& reply) {
    if (!source_ || source_->pending() == 0) return false;
    source_->take(std::min(maxLength, source_->pending()), reply);
    return true;
}

}  // namespace zel::sim
