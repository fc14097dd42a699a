// Download and verify: moving an image between a source buffer on the host and one target's
// emulation memory, with the keep-content and fill rules, truncation and the result byte.
#pragma once

#include "ImageSource.h"
#include "TargetRange.h"

#include <cstddef>
#include <cstdint>

namespace zel::api {

struct DownloadRequest {
    bool keepContent = true;   // rewrite only the touched blocks; else fill the rest of the chip
    uint8_t fillValue = 0xFF;
    uint32_t address = 0;      // bit 31: target 2
    uint32_t length = 0;
    uint64_t sourceOffset = 0;
    bool truncate = false;
    size_t device = 0;
    bool logSteps = false;     // the host-buffer form logs what it does
};

// chipSize: the size of the chip on the addressed target. Nothing is sent unless the range fits
// the chip (or is truncated to it) and the source holds every byte to be sent; a keep-content
// download whose block read fails writes nothing.
TransferResult download(const ImageSource& source, const DownloadRequest& request, uint64_t chipSize);

struct VerifyRequest {
    uint32_t address = 0;
    uint32_t length = 0;
    uint64_t sourceOffset = 0;
    size_t device = 0;
    // The device is read in transfers of at most this many bytes.
    uint64_t readChunk = UINT64_MAX;
};

// Compares min(length, chip end - start) bytes, every one of them read from the device; a
// failed read counts as a difference.
TransferResult verify(const ImageSource& source, const VerifyRequest& request, uint64_t chipSize);

}  // namespace zel::api
