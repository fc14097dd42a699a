// Loading image files into byte images: raw binary, Intel HEX and Motorola S-record.
#pragma once

#include <cstddef>
#include <filesystem>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "image/ImageFormat.h"
#include "image/ReadResult.h"

namespace zel::image {

// The text readers place every record at its full 32-bit address; the image runs from the
// lowest to the highest address filled. It spans at most 256 MiB, the largest image buffer:
// wider data fail the load (ReadFailure::SpanTooLarge) before storage for them is taken. A text
// file without data fails the load too (ReadFailure::NoData).
inline constexpr size_t kLargestTextSpan = 0x10000000;

// Receives the notices of records that are skipped but do not fail the load. The readers skip
// no record with a notice at present; the parameter stays for the callers that pass one.
using WarningSink = std::function<void(std::string_view message)>;
void writeToStandardError(std::string_view message);

// The whole file. An empty file gives ReadFailure::EmptyFile.
ReadResult readBinary(const std::filesystem::path& path);

// Intel HEX: data (00), extended segment (02) and extended linear (04) records; other record
// types are skipped and reading goes on to the end of the file. A data record's address is
// segment * 16 + offset, or upper linear address << 16 | offset. A record running past address
// FFFFFFFF fails the load. Where records overlap, the later one wins.
ReadResult readIntelHex(const std::filesystem::path& path, const WarningSink& warn = writeToStandardError);

// Motorola S-record: S1/S2/S3 carry data at their 16-, 24- or 32-bit address; S0 and S4-S9 carry
// nothing. A record running past address FFFFFFFF fails the load. Where records overlap, the
// later one wins.
ReadResult readSRecord(const std::filesystem::path& path);

ReadResult readImage(const std::filesystem::path& path, Format format,
                     const WarningSink& warn = writeToStandardError);
// A caller's wide path: the format comes from its extension.
ReadResult readImage(std::wstring_view path, const WarningSink& warn = writeToStandardError);

// The same readers over text already in memory; name stands for the file in messages.
ReadResult parseIntelHex(std::string_view text, std::string_view name,
                         const WarningSink& warn = writeToStandardError);
ReadResult parseSRecord(std::string_view text, std::string_view name);

// The first min(file size, limit) bytes of a raw binary file and the whole file's size, for
// loads into a destination of limited capacity.
struct BinaryPrefix {
    uint64_t fileSize = 0;
    Image bytes;
};
std::optional<BinaryPrefix> readBinaryPrefix(const std::filesystem::path& path, size_t limit);

// How a file name is shown in messages.
std::string displayName(const std::filesystem::path& path);

}  // namespace zel::image
