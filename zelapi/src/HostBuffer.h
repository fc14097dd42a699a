// A caller's buffer in the vm_mgr store, named by its handle. Every access goes through
// vm_read / vm_write, which refuse ranges outside the buffer.
#pragma once

#include "vm_mgr.h"

#include <cstdint>
#include <span>

namespace zel::api {

// Large copies between a host buffer and memory go in slices of this size at most.
inline constexpr uint64_t kHostSlice = 0x4000000;  // 64 MiB

class HostBuffer {
public:
    explicit HostBuffer(vm_ptr_t handle) : handle_(handle) {}

    vm_ptr_t handle() const { return handle_; }
    // Every byte of [offset, offset + length) lies inside the one buffer the handle names. An
    // empty range needs no buffer.
    bool holds(uint64_t offset, uint64_t length) const;
    // Copies in slices of at most kHostSlice bytes; false when a slice could not be read (the
    // slices before it are copied by then).
    bool read(uint64_t offset, std::span<uint8_t> into) const;
    // One vm_write.
    bool write(uint64_t offset, std::span<const uint8_t> bytes) const;

private:
    vm_ptr_t handle_;
};

}  // namespace zel::api
