// Splits text into lines for the record parsers, without a heap allocation per line. A line
// ends at '\n'; one '\r' before it is dropped too, so CRLF and LF files read alike. A last line
// without a line end still counts; text that ends with a line end has no empty line after it.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

#include "fileio/RegularFile.h"

namespace zel::image::detail {

enum class LineStatus { Line, End, ReadError };

inline std::string_view withoutCarriageReturn(const char* data, size_t size) {
    if (size > 0 && data[size - 1] == '\r') --size;
    return {data, size};
}

// Lines of text already in memory.
class MemoryLines {
public:
    explicit MemoryLines(std::string_view text) : text_(text) {}
    LineStatus next(std::string_view& line) {
        if (position_ >= text_.size()) return LineStatus::End;
        const char* start = text_.data() + position_;
        size_t rest = text_.size() - position_;
        auto newline = static_cast<const char*>(std::memchr(start, '\n', rest));
        size_t length = newline ? static_cast<size_t>(newline - start) : rest;
        position_ += newline ? length + 1 : length;
        ++number_;
        line = withoutCarriageReturn(start, length);
        return LineStatus::Line;
    }
    size_t lineNumber() const { return number_; }

private:
    std::string_view text_;
    size_t position_ = 0;
    size_t number_ = 0;
};

// Lines of a file read in large blocks. A line longer than the block grows the buffer, so
// lines of any length are accepted.
class FileLines {
public:
    static constexpr size_t kDefaultBlockSize = size_t{1} << 20;

    explicit FileLines(fileio::RegularFile& file, size_t blockSize = kDefaultBlockSize);
    // The returned line stays valid until the next call.
    LineStatus next(std::string_view& line) {
        const char* start = buffer_.get() + begin_;
        auto newline = static_cast<const char*>(std::memchr(start + scanned_, '\n', end_ - begin_ - scanned_));
        if (!newline) return nextAfterRefill(line);
        return take(static_cast<size_t>(newline - start), 1, line);
    }
    size_t lineNumber() const { return number_; }

private:
    // Hands out the length characters at begin_ and steps over them and the line end.
    LineStatus take(size_t length, size_t lineEnd, std::string_view& line) {
        const char* start = buffer_.get() + begin_;
        begin_ += length + lineEnd;
        scanned_ = 0;
        ++number_;
        line = withoutCarriageReturn(start, length);
        return LineStatus::Line;
    }
    LineStatus nextAfterRefill(std::string_view& line);
    bool refill();

    fileio::RegularFile& file_;
    std::unique_ptr<char[]> buffer_;
    size_t capacity_;
    size_t begin_ = 0;    // first byte of the current, not yet returned line
    size_t scanned_ = 0;  // bytes from begin_ already known to hold no '\n'
    size_t end_ = 0;      // end of the bytes read so far
    bool atEnd_ = false;
    size_t number_ = 0;
};

}  // namespace zel::image::detail
