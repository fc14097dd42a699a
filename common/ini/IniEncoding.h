// How an INI file's bytes are text: a byte-order mark decides (UTF-8, UTF-16LE, UTF-16BE);
// without one the file is UTF-8 when it is valid UTF-8 and "ANSI" (Windows-1252) otherwise.
// A file is written back in the encoding it was read in.
#pragma once

#include <string>
#include <string_view>

namespace zel::ini {

enum class IniEncoding { Utf8, Utf8Bom, Utf16LeBom, Utf16BeBom, Windows1252 };

struct DecodedIniText {
    IniEncoding encoding = IniEncoding::Utf8;
    std::wstring text;  // without the byte-order mark
};

DecodedIniText decodeIniText(std::string_view bytes);

// False when `text` holds a character the encoding cannot carry (only Windows-1252 can fail).
bool canEncode(std::wstring_view text, IniEncoding encoding);
// The bytes, with the byte-order mark the encoding calls for.
std::string encodeIniText(std::wstring_view text, IniEncoding encoding);

}  // namespace zel::ini
