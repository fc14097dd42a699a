// Reading a whole file named by a caller's wide-character path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace zel::zeldev {

// The path from a zero-terminated wide string (UTF-32 code points), converted to UTF-8
// explicitly. Nothing for a null or empty string, an invalid code point or an absurdly long
// string.
std::optional<std::filesystem::path> pathFromWide(const wchar_t* text);

// The whole file, or nothing when it cannot be read or is larger than maxSize.
std::optional<std::vector<uint8_t>> readFileBytes(const std::filesystem::path& path, size_t maxSize);

// Little-endian 32-bit word at `offset`; nothing when it does not lie inside `bytes`.
std::optional<uint32_t> wordAt(std::span<const uint8_t> bytes, uint64_t offset);

}  // namespace zel::zeldev
