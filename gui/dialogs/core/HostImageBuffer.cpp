#include "dialogs/core/HostImageBuffer.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace zel::gui {
namespace {

// Presetting goes through vm_write in pieces this large, so it never needs a second copy of a
// whole 256 MiB buffer in ordinary memory.
constexpr uint64_t kFillPiece = 0x400000;  // 4 MiB

bool fill(vm_ptr_t handle, uint64_t size, uint8_t value)
{
    if (value == 0)
        return true;  // vm_alloc hands out zeroed buffers
    const std::vector<uint8_t> piece(static_cast<size_t>(std::min(size, kFillPiece)), value);
    for (uint64_t done = 0; done < size;) {
        const uint64_t n = std::min<uint64_t>(piece.size(), size - done);
        if (vm_write(handle + done, piece.data(), n) == 0)
            return false;
        done += n;
    }
    return true;
}

}  // namespace

HostImageBuffer HostImageBuffer::allocate(uint64_t size, uint8_t value)
{
    HostImageBuffer buffer(vm_alloc(size), size);
    if (!buffer || !fill(buffer.handle_, size, value))
        return {};
    return buffer;
}

HostImageBuffer::HostImageBuffer(HostImageBuffer&& other) noexcept
    : handle_(std::exchange(other.handle_, 0)), size_(std::exchange(other.size_, 0))
{
}

HostImageBuffer& HostImageBuffer::operator=(HostImageBuffer&& other) noexcept
{
    if (this != &other) {
        release();
        handle_ = std::exchange(other.handle_, 0);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

HostImageBuffer::~HostImageBuffer()
{
    release();
}

void HostImageBuffer::release()
{
    if (handle_ != 0)
        vm_free(handle_);
    handle_ = 0;
    size_ = 0;
}

}  // namespace zel::gui
