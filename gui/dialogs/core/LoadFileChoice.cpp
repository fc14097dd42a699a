#include "dialogs/core/LoadFileChoice.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace zel::gui {
namespace {

struct FormatFacts {
    ImageFileFormat format;
    std::string_view name;
    std::string_view extension;  // lower case, without the dot
};

constexpr std::array kFormats{
    FormatFacts{ImageFileFormat::RawBin, "RawBin", "bin"},
    FormatFacts{ImageFileFormat::IntelHex, "IntelHex", "hex"},
    FormatFacts{ImageFileFormat::MotorolaS19, "MotorolaS19", "s19"},
    FormatFacts{ImageFileFormat::Rom, "ROM", "rom"},
};

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

}  // namespace

std::string_view formatName(ImageFileFormat format)
{
    return std::ranges::find(kFormats, format, &FormatFacts::format)->name;
}

ImageFileFormat formatFromName(std::string_view name)
{
    const auto found = std::ranges::find(kFormats, name, &FormatFacts::name);
    return found == kFormats.end() ? ImageFileFormat::RawBin : found->format;
}

ImageFileFormat formatForPath(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    if (extension.empty())
        return ImageFileFormat::RawBin;
    extension.erase(0, 1);
    std::ranges::transform(extension, extension.begin(),
                           [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    const auto found = std::ranges::find(kFormats, extension, &FormatFacts::extension);
    return found == kFormats.end() ? ImageFileFormat::RawBin : found->format;
}

image::Format readerFormat(ImageFileFormat format)
{
    switch (format) {
    case ImageFileFormat::IntelHex:
        return image::Format::IntelHex;
    case ImageFileFormat::MotorolaS19:
        return image::Format::SRecord;
    case ImageFileFormat::RawBin:
    case ImageFileFormat::Rom:
        break;
    }
    return image::Format::Binary;
}

std::optional<uint8_t> parseFillValue(std::string_view text)
{
    text = trimmed(text);
    if (text.empty() || text.size() > 2)
        return std::nullopt;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return static_cast<uint8_t>(value);
}

std::string fillValueText(uint8_t value)
{
    constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[value >> 4], kDigits[value & 0xF]};
}

}  // namespace zel::gui
