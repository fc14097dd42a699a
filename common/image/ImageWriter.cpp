#include "image/ImageWriter.h"

#include <system_error>

#include "fileio/RegularFile.h"
#include "text/TextCodec.h"

namespace zel::image {

bool writeBinary(std::span<const uint8_t> bytes, const std::filesystem::path& path) {
    auto file = fileio::RegularFile::createForWriting(path);
    if (!file.isOpen()) return false;
    bool written = file.writeAll(bytes.data(), bytes.size());
    if (file.close() && written) return true;
    // A partial file is worse than none.
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return false;
}

bool writeImage(std::span<const uint8_t> bytes, const std::filesystem::path& path, Format format) {
    switch (format) {
    case Format::IntelHex: return writeIntelHex(bytes, path);
    case Format::SRecord: return writeSRecord(bytes, path);
    case Format::Binary: break;
    }
    return writeBinary(bytes, path);
}

bool writeImage(std::span<const uint8_t> bytes, std::wstring_view path) {
    return writeImage(bytes, text::widePath(path), formatFromName(path));
}

}  // namespace zel::image
