#include "LogFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace zel::gui {
namespace {

std::string failure(const char* what, const std::filesystem::path& file, int error) {
    return std::string(what) + " " + file.string() + ": " + std::strerror(error);
}

}  // namespace

std::string saveLogRows(std::span<const LogRow> rows, const std::filesystem::path& file) {
    std::FILE* raw = std::fopen(file.c_str(), "wb");
    if (!raw) return failure("cannot open", file, errno);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(raw, &std::fclose);
    for (const LogRow& row : rows) {
        std::string line = logRowText(row);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        line += '\n';
        if (std::fwrite(line.data(), 1, line.size(), out.get()) != line.size()) return failure("cannot write", file, errno);
    }
    // Data still buffered is written by fclose, whose failure is the write's failure.
    if (std::fclose(out.release()) != 0) return failure("cannot write", file, errno);
    return {};
}

}  // namespace zel::gui
