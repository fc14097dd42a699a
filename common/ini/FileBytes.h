// Whole-file reading and atomic replacement for the small text files the programs keep
// (INI files, the settings document, .rpmc files).
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace zel::ini {

// These files are a few kilobytes; anything larger is refused rather than read into memory.
inline constexpr std::size_t kMaxTextFileBytes = 16u << 20;

// The file's bytes, or nothing with `error` set (missing, unreadable, too large, or not a regular
// file: a folder, a FIFO, a device).
std::optional<std::string> readFileBytes(const std::filesystem::path& path, std::error_code& error);

// Writes `bytes` to a temporary file beside `path` and renames it over `path`, so a reader sees
// the old or the new file, never a partial one. An existing file keeps its permission bits; a
// symbolic link is followed and its target replaced. On failure the old file is left untouched.
// After a write, the temporary files of this target that killed writers left are removed.
std::error_code writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Creates `path` with `bytes` only when nothing exists there (errc::file_exists otherwise, and
// the existing file is untouched); the file appears whole or not at all.
std::error_code createFileExclusively(const std::filesystem::path& path, std::string_view bytes);

}  // namespace zel::ini
