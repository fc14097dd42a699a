#include "server/SocketOutData.h"

#include "simwire/SocketIo.h"

#include <algorithm>
#include <array>

namespace zel::sim {

bool SocketOutData::read(std::span<uint8_t> into) {
    if (failed_ || into.size() > remaining()) return false;
    if (simwire::readAll(fd_, std::as_writable_bytes(into), simwire::kNoDeadline) != simwire::IoResult::Ok) {
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
