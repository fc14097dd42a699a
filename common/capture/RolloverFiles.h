// The continuous trace text goes to a chain of files: the first one named by the user, then,
// each time a file has grown beyond 0x7FFFFFF bytes, a new one whose name carries _1, _2, ...
// before the extension ("trace.txt", "trace_1.txt", ...). Every file is announced with
// "Save SPI Trace data into file: PATH"; the paths are kept, in order. The text writer decides
// where a new file may begin (between transactions) and writes its header there.
#pragma once

#include "trace/TraceTextWriter.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zel::capture {

inline constexpr uint64_t kRolloverBytes = 0x7FFFFFF;

// The name of file `number` of the chain that starts at `first` (0: `first` itself).
std::filesystem::path rolloverName(const std::filesystem::path& first, unsigned number);

class RolloverFiles final : public trace::TextSink {
public:
    using Announce = std::function<void(const std::string&)>;

    // `limit`: a file longer than this is full (tests use small limits).
    RolloverFiles(std::filesystem::path first, Announce announce, uint64_t limit = kRolloverBytes);

    // Opens the first file, appending to what it holds (as the continuous writer always did).
    bool open();
    // Appends to the current file; a failure is kept (failed(), problem()).
    void write(std::string_view text) override;
    bool full() const { return size_ > limit_; }
    // Closes the current file and opens the next of the chain.
    bool next();
    bool close();

    bool failed() const { return !problem_.empty(); }
    // "Error: cannot open|write PATH: reason" after a failure.
    const std::string& problem() const { return problem_; }
    const std::vector<std::filesystem::path>& paths() const { return paths_; }

private:
    bool openNumber(unsigned number);
    bool fail(std::string_view what, const std::filesystem::path& path);

    std::filesystem::path first_;
    Announce announce_;
    uint64_t limit_;
    std::ofstream file_;
    uint64_t size_ = 0;
    std::vector<std::filesystem::path> paths_;
    std::string problem_;
};

}  // namespace zel::capture
