#include "TraceFileSink.h"

namespace zel::capture {

std::unique_ptr<TraceFileSink> TraceFileSink::create(const std::filesystem::path& path, const trace::TraceFileInfo& info,
                                                     std::string& problem) {
    std::string message;
    auto writer = trace::TraceFileWriter::create(path, info, message);
    if (!writer) {
        problem = "Error: " + message;
        return nullptr;
    }
    return std::unique_ptr<TraceFileSink>(new TraceFileSink(std::move(*writer)));
}

}  // namespace zel::capture
