// One buffer of the vm_mgr store, owned: released when the owner goes. Move-only.
#pragma once

#include "vm_mgr.h"

#include <cstdint>

namespace zel::gui {

class HostImageBuffer {
public:
    HostImageBuffer() = default;
    // A buffer of `size` bytes, every one `value`; an empty object when the store has no room.
    static HostImageBuffer allocate(uint64_t size, uint8_t value);

    HostImageBuffer(HostImageBuffer&& other) noexcept;
    HostImageBuffer& operator=(HostImageBuffer&& other) noexcept;
    HostImageBuffer(const HostImageBuffer&) = delete;
    HostImageBuffer& operator=(const HostImageBuffer&) = delete;
    ~HostImageBuffer();

    explicit operator bool() const { return handle_ != 0; }
    // What the API's _ptr exports take; 0 for an empty object.
    vm_ptr_t handle() const { return handle_; }
    uint64_t size() const { return size_; }

private:
    HostImageBuffer(vm_ptr_t handle, uint64_t size) : handle_(handle), size_(size) {}
    void release();

    vm_ptr_t handle_ = 0;
    uint64_t size_ = 0;
};

}  // namespace zel::gui
