// Builds the messages of failed loads: they name the file and, for a record, its line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <system_error>

#include "image/ReadResult.h"

namespace zel::image::detail {

ReadError fileError(ReadFailure failure, std::string_view fileName, std::string_view reason);
// A file that could not be opened, or that was refused as no regular file (a folder, a FIFO, a
// device), which says so.
ReadError openError(std::string_view fileName, const std::error_code& error);
ReadError recordError(ReadFailure failure, std::string_view fileName, size_t line, std::string_view reason);

// The messages both text readers give.
ReadError noDataError(std::string_view fileName);
// count bytes at address would widen the filled range [lowest, end) beyond the largest span.
ReadError spanError(std::string_view fileName, size_t line, uint64_t address, size_t count, uint64_t lowest,
                    uint64_t end);
ReadError pastAddressSpaceError(std::string_view fileName, size_t line);

}  // namespace zel::image::detail
