#include "image/ImageFormat.h"

#include <type_traits>

namespace zel::image {
namespace {

template <class Char>
Format formatOf(std::basic_string_view<Char> path) {
    static constexpr Char kSeparators[] = {Char('/'), Char('\\')};
    size_t nameStart = path.find_last_of(std::basic_string_view<Char>(kSeparators, 2));
    auto name = nameStart == std::basic_string_view<Char>::npos ? path : path.substr(nameStart + 1);
    size_t dot = name.rfind(Char('.'));
    if (dot == std::basic_string_view<Char>::npos) return Format::Binary;
    auto extension = name.substr(dot);
    if (extension.size() != 4) return Format::Binary;
    // Only ASCII letters matter for the two recognised extensions; a locale-dependent
    // upper-casing could only turn non-ASCII characters into something that never matches.
    char upper[4];
    for (size_t i = 0; i < 4; ++i) {
        auto c = static_cast<std::make_unsigned_t<Char>>(extension[i]);
        if (c > 0x7F) return Format::Binary;
        upper[i] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    std::string_view text(upper, 4);
    if (text == ".HEX") return Format::IntelHex;
    if (text == ".S19") return Format::SRecord;
    return Format::Binary;
}

}  // namespace

Format formatFromName(std::wstring_view path) { return formatOf(path); }
Format formatFromName(std::string_view path) { return formatOf(path); }
Format formatFromName(const std::filesystem::path& path) {
    return formatOf(std::basic_string_view<std::filesystem::path::value_type>(path.native()));
}

const char* formatLabel(Format format) {
    switch (format) {
    case Format::IntelHex: return "HEX";
    case Format::SRecord: return "S19";
    case Format::Binary: break;
    }
    return "BIN(bin)";
}

}  // namespace zel::image
