// Image files into and out of the API's destinations: the in-process buffer, the byte vector
// and a caller's host buffer. The formats themselves are common/image's business.
//
// A load that fails changes none of its outputs except as stated, and leaves the reason in the
// API object (CliGetLastImageError) and in the log, so that a front end can say why and never
// downloads what an earlier load left behind.
#pragma once

#include "CProject.h"
#include "vm_mgr.h"

#include <cstdint>
#include <vector>

namespace zel::api {

// Where the outputs of a load go; null outputs are skipped.
struct LoadOutputs {
    uint32_t* checksum = nullptr;
    uint32_t* size = nullptr;
};

// Into the in-process buffer at `offset`. An image larger than the limit (0x4000000 bytes, or
// 0x10000000 with `large`) or than the room the buffer has from `offset` reports its size and
// copies nothing.
bool loadIntoImageBuffer(CProject& project, const wchar_t* path, LoadOutputs outputs, uint32_t offset, bool large);

// Into the byte vector, which is emptied first and stays empty when the load fails.
bool loadIntoByteVector(CProject& project, const wchar_t* path, LoadOutputs outputs);

// Into a caller's host buffer: at most `capacity` bytes. *size is the whole image's (or raw
// file's) size even when that is more. A raw binary file always gets a fresh buffer; a text
// format gets one when `replace` is set or the caller has none, and otherwise is written into
// the caller's buffer. A fresh buffer replaces the caller's only once it holds the image.
bool loadIntoHostBuffer(CProject& project, const wchar_t* path, vm_ptr_t* host, LoadOutputs outputs,
                        uint32_t capacity, bool replace);

// Size and checksum of a file's image; 0 and 0 when it cannot be loaded.
bool checksumOfFile(CProject& project, const wchar_t* path, LoadOutputs outputs);

// Writes the bytes in the format the path's extension selects.
bool saveToFile(CProject& project, const std::vector<uint8_t>* data, const wchar_t* path);

}  // namespace zel::api
