// How values are written as attribute text in the settings document.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zel::settings {

// bool: "Yes" / "No"; only "Yes" reads as true (a missing attribute reads as false).
std::wstring formatBool(bool value);
bool parseBool(std::wstring_view text);

// hex: lower case without prefix or leading zeros ("%x"); "FillBufferValue" uses upper case ("%X").
std::wstring formatHex(std::uint32_t value);
std::wstring formatUpperHex(std::uint32_t value);
// Read as "%x" reads: optional white space, sign and "0x", then hex digits; nothing without a
// digit, so the caller falls back to its default. Values beyond 32 bits saturate.
std::optional<std::uint32_t> parseHex(std::wstring_view text);

// flag: "1" / "0".
std::wstring formatFlag(bool value);

// The RPMC texts' length rule: a longer text keeps its last `length` characters, a shorter one
// is padded on the left with '0'.
std::wstring adjustLength(std::wstring_view text, std::size_t length);

// "LastLoadedFileFormat" from the image path's extension, compared without regard to case:
// ".hex" "IntelHex", ".s19" "MotorolaS19", ".rom" "ROM", anything else "RawBin".
std::wstring imageFormatName(std::wstring_view imagePath);

// "HoldPinSetting" for the console tool's --hold value: 2 gives 3, 3 gives 2, anything else 0
// (the desktop program's hold-pin codes).
std::uint32_t holdPinSettingFor(int holdOption);

}  // namespace zel::settings
