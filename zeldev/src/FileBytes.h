// A caller's wide-character path as a file path, and the words inside a file's bytes.
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

// Little-endian 32-bit word at `offset`; nothing when it does not lie inside `bytes`.
std::optional<uint32_t> wordAt(std::span<const uint8_t> bytes, uint64_t offset);

}  // namespace zel::zeldev
