#include "image/TextLines.h"

#include <cstring>

namespace zel::image::detail {

FileLines::FileLines(fileio::RegularFile& file, size_t blockSize)
    : file_(file), buffer_(std::make_unique_for_overwrite<char[]>(blockSize)), capacity_(blockSize) {}

// No complete line is buffered: read more, or hand out the last line without a line end.
LineStatus FileLines::nextAfterRefill(std::string_view& line) {
    for (;;) {
        scanned_ = end_ - begin_;
        if (atEnd_) return begin_ == end_ ? LineStatus::End : take(end_ - begin_, 0, line);
        if (!refill()) return LineStatus::ReadError;
        const char* start = buffer_.get() + begin_;
        auto newline = static_cast<const char*>(std::memchr(start + scanned_, '\n', end_ - begin_ - scanned_));
        if (newline) return take(static_cast<size_t>(newline - start), 1, line);
    }
}

// Keeps the unfinished line, moved to the front, and reads behind it.
bool FileLines::refill() {
    size_t pending = end_ - begin_;
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, pending);
        begin_ = 0;
        end_ = pending;
    }
    if (end_ == capacity_) {
        size_t grown = capacity_ * 2;
        auto larger = std::make_unique_for_overwrite<char[]>(grown);
        std::memcpy(larger.get(), buffer_.get(), end_);
        buffer_ = std::move(larger);
        capacity_ = grown;
    }
    auto got = file_.read(buffer_.get() + end_, capacity_ - end_);
    if (!got) return false;
    if (*got == 0) atEnd_ = true;
    end_ += *got;
    return true;
}

}  // namespace zel::image::detail
