// The C exports of the buffer store.
#include "vm_mgr.h"

#include "BufferRegistry.h"

#include <cstddef>
#include <span>

extern "C" {

vm_ptr_t vm_alloc(uint64_t size)
{
    return zel::vm::BufferRegistry::instance().allocate(size);
}

int vm_read(void* dst, vm_ptr_t src, uint64_t len)
{
    if (!zel::vm::fitsAddressSpace(len))
        return 0;
    std::span destination(static_cast<std::byte*>(dst), static_cast<size_t>(len));
    return zel::vm::BufferRegistry::instance().read(destination, src) ? 1 : 0;
}

int vm_write(vm_ptr_t dst, const void* src, uint64_t len)
{
    if (!zel::vm::fitsAddressSpace(len))
        return 0;
    std::span source(static_cast<const std::byte*>(src), static_cast<size_t>(len));
    return zel::vm::BufferRegistry::instance().write(dst, source) ? 1 : 0;
}

int vm_free(vm_ptr_t ptr)
{
    return zel::vm::BufferRegistry::instance().release(ptr) ? 1 : 0;
}

const char* vm_getPtrPath(vm_ptr_t ptr)
{
    return zel::vm::BufferRegistry::instance().describe(ptr);
}

}  // extern "C"
