// Explicit text conversions (never the C locale): the exports take wchar_t strings (UTF-32 on
// Linux), files and the console use UTF-8, and "ANSI" strings inside files are Windows-1252.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zel::text {

// Invalid UTF-8 sequences become U+FFFD.
std::wstring utf8ToWide(std::string_view utf8);
// Code points that cannot be encoded (surrogates, out of range) become U+FFFD.
std::string wideToUtf8(std::wstring_view wide);

// Windows-1252: the five unassigned bytes map to the C1 control with the same value.
std::wstring windows1252ToWide(std::string_view ansi);
// Characters outside Windows-1252 become '?'.
std::string wideToWindows1252(std::wstring_view wide);

// A path given by a caller as a wide string; both '/' and '\' separate folders.
std::filesystem::path widePath(std::wstring_view wide);

// Copies up to capacity - 1 characters and a terminator into dest (capacity > 0).
void copyTerminated(std::wstring_view source, wchar_t* dest, size_t capacity);

}  // namespace zel::text
