#include "RolloverFiles.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace zel::capture {

std::filesystem::path rolloverName(const std::filesystem::path& first, unsigned number) {
    if (number == 0) return first;
    auto name = first.parent_path() / first.stem();
    name += "_" + std::to_string(number);
    name += first.extension();
    return name;
}

RolloverFiles::RolloverFiles(std::filesystem::path first, std::string header, Announce announce, uint64_t limit)
    : first_(std::move(first)), header_(std::move(header)), announce_(std::move(announce)), limit_(limit) {}

bool RolloverFiles::open() { return openNumber(0); }

bool RolloverFiles::openNumber(unsigned number) {
    const auto path = rolloverName(first_, number);
    errno = 0;
    file_.open(path, std::ios::binary | std::ios::app);
    if (!file_) return fail("open");
    std::error_code error;
    const auto existing = std::filesystem::file_size(path, error);
    size_ = error ? 0 : existing;
    paths_.push_back(path);
    if (announce_) announce_("Save SPI Trace data into file: " + path.string());
    return write(header_);
}

bool RolloverFiles::write(std::string_view text) {
    if (!file_.is_open()) return false;
    errno = 0;
    file_.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!file_) return fail("write");
    size_ += text.size();
    if (size_ <= limit_) return true;
    file_.close();
    if (!file_) return fail("write");
    return openNumber(static_cast<unsigned>(paths_.size()));
}

bool RolloverFiles::close() {
    if (!file_.is_open()) return problem_.empty();
    errno = 0;
    file_.close();
    return file_ ? true : fail("write");
}

bool RolloverFiles::fail(std::string_view what) {
    const auto path = paths_.empty() || what == "open" ? rolloverName(first_, static_cast<unsigned>(paths_.size()))
                                                       : paths_.back();
    const int error = errno;
    problem_ = "Error: cannot " + std::string(what) + " " + path.string() + ": " +
               (error ? std::strerror(error) : "the file system refused it");
    file_.close();
    return false;
}

}  // namespace zel::capture
