// A whole regular file in memory, never more than the caller's limit: the limit is that of what
// the bytes feed (a firmware area, a chip configuration, a text file's sanity bound).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace zel::fileio {

// Nothing, with `error` set, when the file cannot be opened or read (FileError::NotRegularFile
// for anything but a regular file) or holds more than `limit` bytes (errc::file_too_large).
std::optional<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path, std::size_t limit,
                                                       std::error_code& error);
std::optional<std::string> readWholeText(const std::filesystem::path& path, std::size_t limit,
                                         std::error_code& error);

}  // namespace zel::fileio
