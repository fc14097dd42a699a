#include "OutputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zel::zeltrace {

std::optional<OutputFile> OutputFile::open(const std::string& path, std::string& message) {
    if (path.empty()) return OutputFile(std::nullopt, "standard output");
    auto file = fileio::RegularFile::createForWriting(path);
    if (!file.isOpen()) {
        message = path + ": cannot write: " + file.error().message();
        return std::nullopt;
    }
    return OutputFile(std::move(file), path);
}

void OutputFile::write(std::string_view text) {
    if (failed_) return;
    if (file_) failed_ = !file_->writeAll(text.data(), text.size());
    else failed_ = std::fwrite(text.data(), 1, text.size(), stdout) != text.size();
}

bool OutputFile::finish(std::string& message) {
    bool ok = !failed_;
    if (file_) ok = file_->close() && ok;
    else ok = std::fflush(stdout) == 0 && ok;
    if (!ok) {
        const std::string reason = file_ ? file_->error().message() : std::strerror(errno);
        message = name_ + ": cannot write: " + reason;
    }
    return ok;
}

}  // namespace zel::zeltrace
