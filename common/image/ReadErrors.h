// Builds the messages of failed loads: they name the file and, for a record, its line.
#pragma once

#include <cstddef>
#include <string_view>

#include "image/ReadResult.h"

namespace zel::image::detail {

ReadError fileError(ReadFailure failure, std::string_view fileName, std::string_view reason);
ReadError recordError(ReadFailure failure, std::string_view fileName, size_t line, std::string_view reason);

}  // namespace zel::image::detail
