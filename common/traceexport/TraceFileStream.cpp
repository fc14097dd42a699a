#include "TraceFileStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

namespace zel::traceexport {
namespace {

constexpr size_t kCountOffset = 24;

}  // namespace

std::optional<TraceFileStream> TraceFileStream::open(const std::filesystem::path& path, std::string& problem) {
    errno = 0;
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (!file || error) {
        problem = "Error: cannot read " + path.string() + ": " + (error ? error.message() : std::strerror(errno));
        return std::nullopt;
    }
    std::vector<uint8_t> header(trace::kTraceFileHeaderSize);
    if (std::fread(header.data(), 1, header.size(), file.get()) != header.size()) {
        problem = "Error: " + path.string() + ": too short for a capture file";
        return std::nullopt;
    }
    // The core checks the header; the records are counted here, against the file's length.
    uint64_t count = 0;
    for (int i = 7; i >= 0; --i) count = count << 8 | header[kCountOffset + static_cast<size_t>(i)];
    std::fill_n(header.begin() + kCountOffset, 8, 0);
    const auto parsed = trace::parseTraceFile(header, path.string());
    if (!parsed) {
        problem = "Error: " + parsed.error().message;
        return std::nullopt;
    }
    const uint64_t present = (size - trace::kTraceFileHeaderSize) / trace::kRecordSize;
    if (count != trace::kOpenEndedCount && count != present) {
        problem = "Error: " + path.string() + ": the header counts " + std::to_string(count) + " records, the file holds " +
                  std::to_string(present);
        return std::nullopt;
    }
    return TraceFileStream(std::move(file), parsed.capture().info, present);
}

size_t TraceFileStream::read(std::span<uint8_t> out) {
    const uint64_t left = (records_ - given_) * trace::kRecordSize;
    const size_t want = static_cast<size_t>(std::min<uint64_t>(left, out.size() / trace::kRecordSize * trace::kRecordSize));
    if (want == 0) return 0;
    const size_t got = std::fread(out.data(), 1, want, file_.get());
    if (got != want) failed_ = true;
    given_ += got / trace::kRecordSize;
    return got / trace::kRecordSize * trace::kRecordSize;
}

bool TraceFileStream::rewind() {
    given_ = 0;
    return std::fseek(file_.get(), trace::kTraceFileHeaderSize, SEEK_SET) == 0;
}

}  // namespace zel::traceexport
