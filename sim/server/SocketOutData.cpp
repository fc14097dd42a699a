#include "server/SocketOutData.h"

#include "simwire/SocketIo.h"

#include <algorithm>
#include <array>

namespace zel::sim {

std::span<const uint8_t> SocketOutData::peek(size_t count) {
    count = static_cast<size_t>(std::min<uint64_t>(count, size_));
    if (failed_ || consumed_ != 0) return {};
    if (peeked_.size() < count) {
        const size_t had = peeked_.size();
        peeked_.resize(count);
        auto rest = std::span(peeked_).subspan(had);
        if (simwire::readAll(fd_, std::as_writable_bytes(rest), simwire::kNoDeadline) != simwire::IoResult::Ok) {
            failed_ = true;
            return {};
        }
    }
    return peeked_;
}

bool SocketOutData::read(std::span<uint8_t> into) {
    if (failed_ || into.size() > remaining()) return false;
    const size_t ahead = std::min(into.size(), peeked_.size());
    std::copy_n(peeked_.begin(), ahead, into.begin());
    peeked_.erase(peeked_.begin(), peeked_.begin() + static_cast<std::ptrdiff_t>(ahead));
    auto rest = into.subspan(ahead);
    if (!rest.empty() &&
        simwire::readAll(fd_, std::as_writable_bytes(rest), simwire::kNoDeadline) != simwire::IoResult::Ok) {
        failed_ = true;
        return false;
    }
    recorder_.add(into);
    consumed_ += into.size();
    return true;
}

bool SocketOutData::skip(uint64_t count) {
    std::array<uint8_t, 64 * 1024> scratch;
    while (count > 0) {
        auto n = std::min<uint64_t>(count, scratch.size());
        if (!read(std::span(scratch).first(n))) return false;
        count -= n;
    }
    return true;
}

}  // namespace zel::sim
