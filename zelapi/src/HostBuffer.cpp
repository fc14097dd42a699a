#include "HostBuffer.h"

#include <algorithm>
#include <limits>

namespace zel::api {

bool HostBuffer::holds(uint64_t offset, uint64_t length) const
{
    if (length == 0)
        return true;
    if (handle_ == 0 || offset > std::numeric_limits<uint64_t>::max() - handle_ ||
        length - 1 > std::numeric_limits<uint64_t>::max() - handle_ - offset)
        return false;
    // vm_mgr names the buffer holding an address; both ends in the same buffer means the whole
    // range is in it (a buffer is contiguous), where checking slice by slice could wander from
    // one buffer into a neighbouring one.
    const char* first = vm_getPtrPath(handle_ + offset);
    return first != nullptr && first == vm_getPtrPath(handle_ + offset + (length - 1)) &&
           first == vm_getPtrPath(handle_);
}

bool HostBuffer::read(uint64_t offset, std::span<uint8_t> into) const
{
    for (uint64_t done = 0; done < into.size();) {
        const uint64_t n = std::min<uint64_t>(kHostSlice, into.size() - done);
        if (vm_read(into.data() + done, handle_ + offset + done, n) == 0)
            return false;
        done += n;
    }
    return true;
}

bool HostBuffer::write(uint64_t offset, std::span<const uint8_t> bytes) const
{
    return vm_write(handle_ + offset, bytes.data(), bytes.size()) != 0;
}

}  // namespace zel::api
