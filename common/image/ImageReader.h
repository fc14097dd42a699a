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

// The Intel HEX reader accepts addresses 0 to 0xFFFFFF; the S-record reader keeps the low 22
// bits of every address (a 4 MiB window).
inline constexpr size_t kIntelHexWindow = 0x1000000;
inline constexpr size_t kSRecordWindow = 0x400000;

// Receives the notices of records that are skipped but do not fail the load.
using WarningSink = std::function<void(std::string_view message)>;
void writeToStandardError(std::string_view message);

// The whole file. An empty file gives ReadFailure::EmptyFile.
ReadResult readBinary(const std::filesystem::path& path);

// Intel HEX: data (00), extended segment (02) and extended linear (04) records; other record
// types are skipped and reading goes on to the end of the file. A data record whose last byte
// lies beyond 0xFFFFFF is skipped with "Data record skipped at ..." to warn.
ReadResult readIntelHex(const std::filesystem::path& path, const WarningSink& warn = writeToStandardError);

// Motorola S-record: S1/S2/S3 carry data; S0 and S4-S9 carry nothing. Addresses fold into the
// 4 MiB window; a record that runs past the window's end is skipped; data landing on bytes
// that another record already wrote fail the load.
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
