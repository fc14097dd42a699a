#include "image/ReadErrors.h"

#include <string>

#include "fileio/FileErrors.h"

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

}  // namespace zel::image::detail
