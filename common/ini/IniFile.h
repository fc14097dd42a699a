// INI files on disk, and one-call reads and writes in the manner of the private-profile functions.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "ini/IniDocument.h"

namespace zel::ini {

// Nothing, with `error` set, when the file cannot be opened or read.
std::optional<IniDocument> loadIniFile(const std::filesystem::path& path, std::error_code& error);
// Atomic: a temporary file renamed over `path`.
std::error_code saveIniFile(const IniDocument& document, const std::filesystem::path& path);

// A missing or unreadable file reads as an empty one: every key yields its fallback.
std::wstring readProfileString(const std::filesystem::path& path, std::wstring_view section, std::wstring_view key,
                               std::wstring_view fallback, BufferUnits buffer);
std::uint32_t readProfileInt(const std::filesystem::path& path, std::wstring_view section, std::wstring_view key,
                             std::int32_t fallback);
// Updates one key in place, creating the file (UTF-8, CR LF) when it does not exist. False when
// the file exists but cannot be read, the names or value are refused, or the write fails.
bool writeProfileString(const std::filesystem::path& path, std::wstring_view section, std::wstring_view key,
                        std::wstring_view value);

}  // namespace zel::ini
