#include "image/ReadErrors.h"

#include <string>

namespace zel::image::detail {

ReadError fileError(ReadFailure failure, std::string_view fileName, std::string_view reason) {
    std::string message(fileName);
    message += ": ";
    message += reason;
    return ReadError{failure, std::move(message), 0};
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
