// The file errors that no errno value names, as std::error_code values.
#pragma once

#include <system_error>

namespace zel::fileio {

enum class FileError {
    // A FIFO, a device, a socket or a folder where a regular file is needed.
    NotRegularFile = 1,
};

const std::error_category& fileErrorCategory();
std::error_code make_error_code(FileError error);

}  // namespace zel::fileio

template <>
struct std::is_error_code_enum<zel::fileio::FileError> : std::true_type {};
