// What a reader hands back: the byte image, or why the file could not be loaded.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace zel::image {

// Index 0 holds the lowest address the file filled; unfilled bytes in between are 0xFF.
using Image = std::vector<uint8_t>;

enum class ReadFailure {
    CannotOpen,       // missing, no permission
    CannotRead,       // not a regular file (a folder, a FIFO, a device), an I/O error while reading
    EmptyFile,        // a raw binary file without bytes; callers treat it as a failed load
    NoData,           // a text file without data records (empty, or only other record types)
    MalformedRecord,  // a text record that breaks the format (the message names the line)
    BadChecksum,      // a text record whose checksum does not match its bytes
    SpanTooLarge,     // text data spread wider than the largest image (the message names the span)
};

struct ReadError {
    ReadFailure failure = ReadFailure::CannotOpen;
    // "<file>: <reason>" or, for a record, "<file>: line <n>: <reason>".
    std::string message;
    // 1-based line of the offending record; 0 when the failure is not about one record.
    size_t line = 0;
};

class ReadResult {
public:
    ReadResult(Image image) : value_(std::move(image)) {}
    ReadResult(ReadError error) : value_(std::move(error)) {}

    bool ok() const { return value_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // Only valid when ok().
    const Image& image() const& { return std::get<Image>(value_); }
    Image&& image() && { return std::get<Image>(std::move(value_)); }
    // Only valid when !ok().
    const ReadError& error() const { return std::get<ReadError>(value_); }

private:
    std::variant<Image, ReadError> value_;
};

}  // namespace zel::image
