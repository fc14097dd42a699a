// A text file written from the start for a trace save: every open, write and close is checked,
// and the first failure is kept as the line the user reads.
#pragma once

#include "trace/TraceTextWriter.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace zel::gui::trace {

class FileTextSink final : public zel::trace::TextSink {
public:
    explicit FileTextSink(std::filesystem::path path);

    bool open();
    void write(std::string_view text) override;
    bool close();
    bool failed() const { return !problem_.empty(); }
    // "Error: cannot open|write|close PATH: reason" after a failure.
    const std::string& problem() const { return problem_; }

private:
    void fail(const char* what);

    std::filesystem::path path_;
    std::ofstream file_;
    std::string problem_;
};

}  // namespace zel::gui::trace
