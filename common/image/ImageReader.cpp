#include "image/ImageReader.h"

#include <cstdio>

#include "text/TextCodec.h"

namespace zel::image {

std::string displayName(const std::filesystem::path& path) {
    auto utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

void writeToStandardError(std::string_view message) { std::fwrite(message.data(), 1, message.size(), stderr); }

ReadResult readImage(const std::filesystem::path& path, Format format, const WarningSink& warn) {
    switch (format) {
    case Format::IntelHex: return readIntelHex(path, warn);
    case Format::SRecord: return readSRecord(path);
    case Format::Binary: break;
    }
    return readBinary(path);
}

ReadResult readImage(std::wstring_view path, const WarningSink& warn) {
    return readImage(text::widePath(path), formatFromName(path), warn);
}

}  // namespace zel::image
