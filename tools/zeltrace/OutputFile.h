// Where decode writes its text: standard output or a regular file, with the first write error
// kept for the exit status.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "fileio/RegularFile.h"
#include "trace/TraceTextWriter.h"

namespace zel::zeltrace {

class OutputFile final : public trace::TextSink {
public:
    // Standard output when `path` is empty; nothing (and `message`) when the file cannot be made.
    static std::optional<OutputFile> open(const std::string& path, std::string& message);

    void write(std::string_view text) override;
    // Closes the file (or flushes standard output); false, with `message`, when any write failed.
    bool finish(std::string& message);

private:
    OutputFile(std::optional<fileio::RegularFile> file, std::string name) : file_(std::move(file)), name_(std::move(name)) {}

    std::optional<fileio::RegularFile> file_;
    std::string name_;
    bool failed_ = false;
};

}  // namespace zel::zeltrace
