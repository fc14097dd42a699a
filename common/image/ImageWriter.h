// Saving a byte image as raw binary, Intel HEX or Motorola S-record. The text formats end every
// line with CRLF on every platform. A writer returns false when the file cannot be created or
// written, or when the path names something other than a regular file (a FIFO, a device), which
// is left alone; a file that could not be written whole is removed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "image/ImageFormat.h"

namespace zel::image {

bool writeBinary(std::span<const uint8_t> bytes, const std::filesystem::path& path);
// Addresses from 0: an extended linear address record for every 64 KiB block up to and
// including block size / 65536 (even when that block holds no data), 16-byte data records,
// and the end record.
bool writeIntelHex(std::span<const uint8_t> bytes, const std::filesystem::path& path);
// Addresses from 0: S3 records of 32 data bytes; no header and no termination record.
bool writeSRecord(std::span<const uint8_t> bytes, const std::filesystem::path& path);

bool writeImage(std::span<const uint8_t> bytes, const std::filesystem::path& path, Format format);
// A caller's wide path: the format comes from its extension.
bool writeImage(std::span<const uint8_t> bytes, std::wstring_view path);

// The text the writers put into a file.
std::string intelHexText(std::span<const uint8_t> bytes);
std::string sRecordText(std::span<const uint8_t> bytes);

// Both text formats carry 32-bit addresses.
inline constexpr uint64_t kLargestTextImage = 0xFFFFFFFF;

}  // namespace zel::image
