#include "FileTextSink.h"

#include <cerrno>
#include <cstring>

namespace zel::gui::trace {

FileTextSink::FileTextSink(std::filesystem::path path) : path_(std::move(path)) {}

bool FileTextSink::open() {
    errno = 0;
    file_.open(path_, std::ios::binary | std::ios::trunc);
    if (!file_) fail("open");
    return !failed();
}

void FileTextSink::write(std::string_view text) {
    if (failed() || !file_.is_open()) return;
    errno = 0;
    file_.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!file_) fail("write");
}

bool FileTextSink::close() {
    if (!file_.is_open()) return !failed();
    errno = 0;
    file_.close();
    if (!file_ && !failed()) fail("close");
    return !failed();
}

void FileTextSink::fail(const char* what) {
    if (failed()) return;
    const int error = errno;
    problem_ = std::string("Error: cannot ") + what + " " + path_.string() + ": " +
               (error != 0 ? std::strerror(error) : "input/output error");
}

}  // namespace zel::gui::trace
