// What the Load File dialog decides: the file, how to read it, what to do with a file larger than
// the chip, and the value the host buffer holds where the file puts no byte.
//
// Fill value: the buffer is preset to it before the file is copied in, so everything past the
// file's end (up to the chip end) downloads as that value. It defaults to 0xFF, the value of
// erased NOR flash, and is typed as one or two hexadecimal digits; anything else keeps the dialog
// from closing with OK. Gaps inside a text image are filled by the readers with 0xFF regardless.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "image/ImageFormat.h"

namespace zel::gui {

enum class ImageFileFormat { RawBin, IntelHex, MotorolaS19, Rom };

// "RawBin", "IntelHex", "MotorolaS19", "ROM": the settings document's LastLoadedFileFormat values.
std::string_view formatName(ImageFileFormat format);
// The format a stored name selects; anything unknown is RawBin.
ImageFileFormat formatFromName(std::string_view name);
// The format a file's extension suggests (any case): .hex, .s19, .rom; anything else RawBin.
ImageFileFormat formatForPath(const std::filesystem::path& path);
// The reader that decodes a format: a ROM file is raw binary.
image::Format readerFormat(ImageFileFormat format);

inline constexpr uint8_t kDefaultFillValue = 0xFF;

// One or two hexadecimal digits, surrounding blanks ignored; none for anything else.
std::optional<uint8_t> parseFillValue(std::string_view text);
// Two upper-case hexadecimal digits.
std::string fillValueText(uint8_t value);

struct LoadFileChoice {
    std::string path;  // UTF-8
    ImageFileFormat format = ImageFileFormat::RawBin;
    // "If File size > Chip size": Truncate (true) or Don't Allow (false); the download passes it
    // as its truncation flag.
    bool truncate = false;
    uint8_t fillValue = kDefaultFillValue;

    friend bool operator==(const LoadFileChoice&, const LoadFileChoice&) = default;
};

}  // namespace zel::gui
