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

RolloverFiles::RolloverFiles(std::filesystem::path first, Announce announce, uint64_t limit)
    : first_(std::move(first)), announce_(std::move(announce)), limit_(limit) {}

bool RolloverFiles::open() { return openNumber(0); }

bool RolloverFiles::next() {
    if (!close()) return false;
    return openNumber(static_cast<unsigned>(paths_.size()));
}

bool RolloverFiles::openNumber(unsigned number) {
    const auto path = rolloverName(first_, number);
    errno = 0;
    file_.open(path, std::ios::binary | std::ios::app);
    if (!file_) return fail("open", path);
    std::error_code error;
    const auto existing = std::filesystem::file_size(path, error);
    size_ = error ? 0 : existing;
    paths_.push_back(path);
    if (announce_) announce_("Save SPI Trace data into file: " + path.string());
    return true;
}

void RolloverFiles::write(std::string_view text) {
    if (!file_.is_open() || failed()) return;
    errno = 0;
    file_.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!file_) fail("write", paths_.back());
    size_ += text.size();
}

bool RolloverFiles::close() {
    if (!file_.is_open()) return !failed();
    errno = 0;
    file_.close();
    if (!file_) return fail("write", paths_.back());
    return !failed();
}

bool RolloverFiles::fail(std::string_view what, const std::filesystem::path& path) {
    if (problem_.empty()) {
        const int error = errno;
        problem_ = "Error: cannot " + std::string(what) + " " + path.string() + ": " +
                   (error ? std::strerror(error) : "the file system refused it");
    }
    file_.close();
    return false;
}

}  // namespace zel::capture
