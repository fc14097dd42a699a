#include <algorithm>
#include <cstdint>

#include "fileio/RegularFile.h"
#include "image/ImageReader.h"
#include "image/ReadErrors.h"

namespace zel::image {
namespace {

// Reads up to limit bytes of the file as it was when opened; false on an I/O error.
bool readUpTo(fileio::RegularFile& file, size_t limit, Image& bytes) {
    bytes.resize(static_cast<size_t>(std::min<uint64_t>(file.size(), limit)));
    auto got = file.read(bytes.data(), bytes.size());
    if (!got) return false;
    bytes.resize(*got);
    return true;
}

}  // namespace

ReadResult readBinary(const std::filesystem::path& path) {
    std::string name = displayName(path);
    auto file = fileio::RegularFile::openForReading(path);
    if (!file.isOpen()) return detail::openError(name, file.error());
    Image bytes;
    if (!readUpTo(file, SIZE_MAX, bytes)) return detail::fileError(ReadFailure::CannotRead, name, "read error");
    if (bytes.empty()) return detail::fileError(ReadFailure::EmptyFile, name, "the file is empty");
    return bytes;
}

std::optional<BinaryPrefix> readBinaryPrefix(const std::filesystem::path& path, size_t limit) {
    auto file = fileio::RegularFile::openForReading(path);
    if (!file.isOpen()) return std::nullopt;
    BinaryPrefix prefix;
    if (!readUpTo(file, limit, prefix.bytes)) return std::nullopt;
    prefix.fileSize = file.size();
    return prefix;
}

}  // namespace zel::image
