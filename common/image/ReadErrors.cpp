#include "image/ReadErrors.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "fileio/FileErrors.h"
#include "image/ImageReader.h"

namespace zel::image::detail {

ReadError fileError(ReadFailure failure, std::string_view fileName, std::string_view reason) {
    std::string message(fileName);
    message += ": ";
    message += reason;
    return ReadError{failure, std::move(message), 0};
}

ReadError openError(std::string_view fileName, const std::error_code& error) {
    if (error == fileio::FileError::NotRegularFile) return fileError(ReadFailure::CannotRead, fileName, "not a regular file");
    return fileError(ReadFailure::CannotOpen, fileName, "cannot open the file");
}

ReadError recordError(ReadFailure failure, std::string_view fileName, size_t line, std::string_view reason) {
    std::string message(fileName);
    message += ": line ";
    message += std::to_string(line);
    message += ": ";
    message += reason;
    return ReadError{failure, std::move(message), line};
}

ReadError noDataError(std::string_view fileName) {
    return fileError(ReadFailure::NoData, fileName, "the file holds no data");
}

ReadError spanError(std::string_view fileName, size_t line, uint64_t address, size_t count, uint64_t lowest,
                    uint64_t end) {
    lowest = std::min(lowest, address);
    uint64_t highest = std::max(end, address + count) - 1;
    char reason[160];
    std::snprintf(reason, sizeof reason,
                  "data at %08llX would make the image span %08llX to %08llX, %llu bytes; an image spans at most "
                  "%zu bytes (%zu MiB)",
                  static_cast<unsigned long long>(address), static_cast<unsigned long long>(lowest),
                  static_cast<unsigned long long>(highest), static_cast<unsigned long long>(highest - lowest + 1),
                  kLargestTextSpan, kLargestTextSpan >> 20);
    return recordError(ReadFailure::SpanTooLarge, fileName, line, reason);
}

ReadError pastAddressSpaceError(std::string_view fileName, size_t line) {
    return recordError(ReadFailure::MalformedRecord, fileName, line, "data record runs past address FFFFFFFF");
}

}  // namespace zel::image::detail
