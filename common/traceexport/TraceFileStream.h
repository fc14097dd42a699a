// A raw capture file read in blocks, for exports that must not hold the whole capture: the
// header is checked by the core's own rules, then the records are handed out piece by piece.
// rewind() starts the records again (the session writer reads them twice).
#pragma once

#include "trace/TraceFile.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace zel::traceexport {

class TraceFileStream {
public:
    // Nothing, with `problem` ("Error: ..."), for a file that cannot be read or is not a capture.
    static std::optional<TraceFileStream> open(const std::filesystem::path& path, std::string& problem);

    const trace::TraceFileInfo& info() const { return info_; }
    uint64_t recordCount() const { return records_; }
    // Whole records into `out`; the bytes given, 0 at the end (or on a read failure: failed()).
    size_t read(std::span<uint8_t> out);
    bool rewind();
    bool failed() const { return failed_; }

private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    TraceFileStream(std::unique_ptr<std::FILE, Closer> file, trace::TraceFileInfo info, uint64_t records)
        : file_(std::move(file)), info_(info), records_(records) {}

    std::unique_ptr<std::FILE, Closer> file_;
    trace::TraceFileInfo info_;
    uint64_t records_ = 0;
    uint64_t given_ = 0;
    bool failed_ = false;
};

}  // namespace zel::traceexport
