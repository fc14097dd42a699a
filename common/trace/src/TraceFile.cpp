#include "trace/TraceFile.h"

#include <cstdio>
#include <cstring>

#include "fileio/WholeFile.h"

namespace zel::trace {
namespace {

constexpr std::uint16_t kKnownFlags = 0x0007;
constexpr std::uint16_t kFourByteFlag = 0x0001, kFixedFlag = 0x0002, kG2Flag = 0x0004;
// A capture buffer is 128 MiB; a file of many buffers is still far below this.
constexpr std::size_t kFileLimit = std::size_t{4} << 30;

void put16(std::uint8_t* at, std::uint16_t v) { at[0] = v & 0xFF, at[1] = v >> 8; }
void put32(std::uint8_t* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void put64(std::uint8_t* at, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint64_t get(const std::uint8_t* at, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | at[i];
    return v;
}

TraceFileError fault(const std::string& name, const std::string& reason) { return {name + ": " + reason}; }

}  // namespace

std::vector<std::uint8_t> encodeTraceHeader(const TraceFileInfo& info, std::uint64_t count) {
    std::vector<std::uint8_t> header(kTraceFileHeaderSize, 0);
    std::memcpy(header.data(), kTraceFileMagic, sizeof kTraceFileMagic);
    put16(&header[8], kTraceFileVersion);
    put16(&header[10], kTraceFileHeaderSize);
    std::uint16_t flags = 0;
    if (info.chip.fourByteAtPowerUp) flags |= kFourByteFlag;
    if (info.chip.fixedAddressing) flags |= kFixedFlag;
    if (info.model == EmulatorModel::G2) flags |= kG2Flag;
    put16(&header[12], flags);
    header[14] = static_cast<std::uint8_t>(info.mode);
    put32(&header[16], static_cast<std::uint32_t>(info.chip.size));
    put64(&header[24], count);
    return header;
}

TraceFileResult parseTraceFile(std::span<const std::uint8_t> bytes, const std::string& name) {
    if (bytes.size() < kTraceFileHeaderSize) return fault(name, "too short for a trace capture header (32 bytes)");
    const std::uint8_t* h = bytes.data();
    if (std::memcmp(h, kTraceFileMagic, sizeof kTraceFileMagic) != 0)
        return fault(name, "not a trace capture file (no ZELTRACE signature)");
    const auto version = get(h + 8, 2);
    if (version != kTraceFileVersion)
        return fault(name, "trace capture format version " + std::to_string(version) + " is not supported (only 1)");
    if (get(h + 10, 2) != kTraceFileHeaderSize)
        return fault(name, "header size " + std::to_string(get(h + 10, 2)) + " is not 32");
    const auto flags = static_cast<std::uint16_t>(get(h + 12, 2));
    if (flags & ~kKnownFlags) return fault(name, "unknown header flags " + std::to_string(flags));
    if (h[14] > 1) return fault(name, "unknown capture mode " + std::to_string(h[14]));
    if (h[15] != 0 || get(h + 20, 4) != 0) return fault(name, "reserved header bytes are not 0");
    const std::uint64_t size = get(h + 16, 4);
    if (size < kMinChipSize || size > kMaxChipSize || (size & (size - 1)) != 0)
        return fault(name, "chip size " + std::to_string(size) + " is not a power of two from 64 KiB to 2 GiB");

    TraceCapture capture;
    capture.info.chip.size = size;
    capture.info.chip.fourByteAtPowerUp = flags & kFourByteFlag;
    capture.info.chip.fixedAddressing = flags & kFixedFlag;
    capture.info.model = (flags & kG2Flag) ? EmulatorModel::G2 : EmulatorModel::FirstGeneration;
    capture.info.mode = static_cast<CaptureMode>(h[14]);

    const std::uint64_t body = bytes.size() - kTraceFileHeaderSize;
    const std::uint64_t count = get(h + 24, 8);
    if (count == kOpenEndedCount) {
        capture.openEnded = true;
        capture.droppedPartialRecord = body % kRecordSize != 0;
    } else if (body / kRecordSize != count || body % kRecordSize != 0) {
        return fault(name, "the header promises " + std::to_string(count) + " records but the file holds " +
                               std::to_string(body) + " bytes of records");
    }
    const std::size_t whole = static_cast<std::size_t>(body / kRecordSize * kRecordSize);
    capture.records.assign(bytes.begin() + kTraceFileHeaderSize, bytes.begin() + kTraceFileHeaderSize + whole);
    return capture;
}

TraceFileResult readTraceFile(const std::filesystem::path& path) {
    std::error_code error;
    auto bytes = fileio::readWholeFile(path, kFileLimit, error);
    if (!bytes) return fault(path.string(), "cannot read: " + error.message());
    return parseTraceFile(*bytes, path.string());
}

std::optional<std::string> writeTraceFile(const std::filesystem::path& path, const TraceFileInfo& info,
                                          std::span<const std::uint8_t> records) {
    if (records.size() % kRecordSize != 0) return path.string() + ": records must be whole 8-byte records";
    auto file = fileio::RegularFile::createForWriting(path);
    const auto header = encodeTraceHeader(info, records.size() / kRecordSize);
    if (!file.isOpen() || !file.writeAll(header.data(), header.size()) || !file.writeAll(records.data(), records.size()) ||
        !file.close())
        return path.string() + ": cannot write: " + file.error().message();
    return std::nullopt;
}

std::optional<TraceFileWriter> TraceFileWriter::create(const std::filesystem::path& path, const TraceFileInfo& info,
                                                       std::string& message) {
    auto file = fileio::RegularFile::createForWriting(path);
    const auto header = encodeTraceHeader(info, kOpenEndedCount);
    if (!file.isOpen() || !file.writeAll(header.data(), header.size())) {
        message = path.string() + ": cannot write: " + file.error().message();
        return std::nullopt;
    }
    return TraceFileWriter(std::move(file), path, info);
}

bool TraceFileWriter::append(std::span<const std::uint8_t> records) {
    if (records.size() % kRecordSize != 0) {
        error_ = path_.string() + ": records must be whole 8-byte records";
        return false;
    }
    if (!file_.writeAll(records.data(), records.size())) {
        error_ = path_.string() + ": cannot write: " + file_.error().message();
        return false;
    }
    records_ += records.size() / kRecordSize;
    return true;
}

bool TraceFileWriter::finish() {
    if (!file_.close()) {
        error_ = path_.string() + ": cannot write: " + file_.error().message();
        return false;
    }
    // The count goes into the header last, so a capture cut short stays readable as open-ended.
    std::FILE* out = std::fopen(path_.c_str(), "r+b");
    std::uint8_t count[8];
    put64(count, records_);
    const bool ok = out && std::fseek(out, 24, SEEK_SET) == 0 && std::fwrite(count, 1, 8, out) == 8;
    if (out && std::fclose(out) != 0) return error_ = path_.string() + ": cannot store the record count", false;
    if (!ok) error_ = path_.string() + ": cannot store the record count";
    return ok;
}

}  // namespace zel::trace
