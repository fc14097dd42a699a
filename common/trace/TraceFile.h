// Raw capture files (*.zeltrace): the trace records exactly as the emulator delivered them, after
// a 32-byte header that says how to decode them. All numbers little-endian.
//
//   offset size  content
//   0      8     magic "ZELTRACE"
//   8      2     format version, 1
//   10     2     header size in bytes, 32 (records start here)
//   12     2     flags: bit 0 the chip starts in 4-byte address mode, bit 1 the chip's
//                addressing mode is fixed (0xB7 / 0xE9 change nothing), bit 2 captured on a G2
//                emulator; other bits are 0
//   14     1     capture mode: 0 linear (one fill of the buffer), 1 ring (continuous save)
//   15     1     0
//   16     4     chip size in bytes, a power of two from 64 KiB to 2 GiB
//   20     4     0
//   24     8     record count, or 0xFFFFFFFFFFFFFFFF while the capture is still being written
//                (open-ended: the records run to the end of the file)
//   32     8 × n the records
//
// A file whose record count disagrees with its length, or that breaks any rule above, is refused
// with a message naming the file and the fault. An open-ended file may end in a partial record (a
// capture that stopped mid-write): that record is dropped and reported.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "fileio/RegularFile.h"
#include "trace/ChipFacts.h"
#include "trace/CommandTable.h"
#include "trace/TraceRecord.h"

namespace zel::trace {

inline constexpr char kTraceFileMagic[8] = {'Z', 'E', 'L', 'T', 'R', 'A', 'C', 'E'};
inline constexpr std::uint16_t kTraceFileVersion = 1;
inline constexpr std::uint16_t kTraceFileHeaderSize = 32;
inline constexpr std::uint64_t kOpenEndedCount = ~std::uint64_t{0};
inline constexpr std::uint64_t kMinChipSize = 0x10000, kMaxChipSize = 0x80000000;

enum class CaptureMode : std::uint8_t { Linear = 0, Ring = 1 };

struct TraceFileInfo {
    ChipFacts chip;
    EmulatorModel model = EmulatorModel::FirstGeneration;
    CaptureMode mode = CaptureMode::Linear;
};

struct TraceCapture {
    TraceFileInfo info;
    std::vector<std::uint8_t> records;  // whole records
    bool openEnded = false;             // the header had no count
    bool droppedPartialRecord = false;  // an open-ended file ended inside a record
};

struct TraceFileError {
    std::string message;  // "<file>: <reason>"
};

class TraceFileResult {
public:
    TraceFileResult(TraceCapture capture) : value_(std::move(capture)) {}
    TraceFileResult(TraceFileError error) : value_(std::move(error)) {}
    bool ok() const { return value_.index() == 0; }
    explicit operator bool() const { return ok(); }
    const TraceCapture& capture() const& { return std::get<TraceCapture>(value_); }
    TraceCapture&& capture() && { return std::get<TraceCapture>(std::move(value_)); }
    const TraceFileError& error() const { return std::get<TraceFileError>(value_); }

private:
    std::variant<TraceCapture, TraceFileError> value_;
};

// The header bytes for `info` and `count` records (kOpenEndedCount while still writing).
std::vector<std::uint8_t> encodeTraceHeader(const TraceFileInfo& info, std::uint64_t count);
// A whole file's bytes; `name` only goes into messages.
TraceFileResult parseTraceFile(std::span<const std::uint8_t> bytes, const std::string& name);
TraceFileResult readTraceFile(const std::filesystem::path& path);
// Writes a complete file (header with the count, then the records) in one go.
std::optional<std::string> writeTraceFile(const std::filesystem::path& path, const TraceFileInfo& info,
                                          std::span<const std::uint8_t> records);

// A capture file written while the capture runs: open-ended until finish() stores the count.
class TraceFileWriter {
public:
    // Nothing, with a message, when the file cannot be created.
    static std::optional<TraceFileWriter> create(const std::filesystem::path& path, const TraceFileInfo& info,
                                                 std::string& message);
    // Whole records only (a multiple of 8 bytes).
    bool append(std::span<const std::uint8_t> records);
    // Stores the record count in the header and closes the file.
    bool finish();
    std::uint64_t recordsWritten() const { return records_; }
    const std::string& lastError() const { return error_; }

private:
    TraceFileWriter(fileio::RegularFile file, std::filesystem::path path, TraceFileInfo info)
        : file_(std::move(file)), path_(std::move(path)), info_(info) {}

    fileio::RegularFile file_;
    std::filesystem::path path_;
    TraceFileInfo info_;
    std::uint64_t records_ = 0;
    std::string error_;
};

}  // namespace zel::trace
