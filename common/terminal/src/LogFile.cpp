#include "terminal/LogFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace zel::terminal {

namespace {

std::string failure(const std::filesystem::path& path, const char* what, int error) {
    return "Cannot " + std::string(what) + " " + path.string() + ": " + std::strerror(error);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::string appendLogToFile(const TerminalLog& log, const std::filesystem::path& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "ab"));
    if (!file) return failure(path, "open", errno);
    for (size_t row = 0; row < log.rowCount(); ++row) {
        const std::string text = log.prefixedRow(row);
        if (std::fwrite(text.data(), 1, text.size(), file.get()) != text.size())
            return failure(path, "write", errno);
    }
    // fclose flushes the last buffer; its failure is a failed write too.
    if (std::fclose(file.release()) != 0) return failure(path, "write", errno);
    return {};
}

}  // namespace zel::terminal
