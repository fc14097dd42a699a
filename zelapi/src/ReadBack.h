// Reading a target's emulation memory back into the in-process buffer, a caller's host buffer
// or the byte vector. Nothing is read unless the whole range lies inside the chip (else 2) and
// the destination can hold it (else 0).
#pragma once

#include "CProject.h"
#include "TargetRange.h"
#include "vm_mgr.h"

#include <cstddef>
#include <cstdint>

namespace zel::api {

// Into the in-process buffer from offset 0, in one transfer.
TransferResult readIntoImageBuffer(CProject& project, uint32_t address, uint32_t length, size_t device);

// min(length, capacity) bytes into the caller's host buffer from offset 0: one transfer up to
// 64 MiB, else four quarters (the last taking what the division leaves).
TransferResult readIntoHostBuffer(CProject& project, vm_ptr_t* host, uint32_t address, uint32_t length,
                                  uint32_t capacity, size_t device);

// Into the byte vector, which ends up holding exactly the asked bytes (empty on failure). The
// device is read in whole 512-byte units around them, up to the chip end.
TransferResult readIntoByteVector(CProject& project, uint32_t address, uint32_t length, size_t device);

}  // namespace zel::api
