#include "trace/RingReader.h"

namespace zel::trace {

std::span<const std::uint8_t> RingReader::next(std::span<const std::uint8_t> buffer, std::uint32_t writeLength) {
    if (wrapEnd_) {
        if (position_ < *wrapEnd_ && *wrapEnd_ <= buffer.size())
            return buffer.subspan(position_, *wrapEnd_ - position_);
        // Everything up to the end of the fill is decoded: go on from the start.
        position_ = 0;
        wrapEnd_.reset();
    }
    if (writeLength <= position_ || writeLength > buffer.size()) return {};
    return buffer.subspan(position_, writeLength - position_);
}

}  // namespace zel::trace
