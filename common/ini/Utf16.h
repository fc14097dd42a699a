// UTF-16 text in files (INI files, the settings document) against the wide strings used here
// (wchar_t is UTF-32 on Linux, so surrogate pairs are combined and split at this boundary).
#pragma once

#include <string>
#include <string_view>

namespace zel::ini {

enum class ByteOrder { LittleEndian, BigEndian };

// Unpaired surrogates and a trailing odd byte become U+FFFD.
std::wstring utf16ToWide(std::string_view bytes, ByteOrder order);
// Characters beyond U+FFFF become surrogate pairs; surrogates and out-of-range values become U+FFFD.
void appendUtf16(std::string& out, std::wstring_view text, ByteOrder order);

}  // namespace zel::ini
