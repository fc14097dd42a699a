// Store of large host buffers. A buffer is named by its handle, the 64-bit address of its first
// byte; byte k lies at handle + k. Every read and write must lie wholly inside one buffer handed
// out by vm_alloc and not yet freed; anything else fails without touching memory.
#pragma once

#include "Export.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint64_t vm_ptr_t;

// A new buffer of `size` bytes, every byte 0; 0 when size is 0 or the memory is not available.
ZEL_EXPORT vm_ptr_t vm_alloc(uint64_t size);
// Copies `len` bytes from buffer address `src` to `dst`; 1 on success, 0 on failure.
ZEL_EXPORT int vm_read(void* dst, vm_ptr_t src, uint64_t len);
// Copies `len` bytes from `src` to buffer address `dst`; 1 on success, 0 on failure.
ZEL_EXPORT int vm_write(vm_ptr_t dst, const void* src, uint64_t len);
// Releases the buffer whose handle is `ptr`; 1 on success, 0 when `ptr` names no buffer.
ZEL_EXPORT int vm_free(vm_ptr_t ptr);
// A text naming the buffer that contains address `ptr`, valid until that buffer is freed;
// null when `ptr` lies in no buffer.
ZEL_EXPORT const char* vm_getPtrPath(vm_ptr_t ptr);

#ifdef __cplusplus
}
#endif
