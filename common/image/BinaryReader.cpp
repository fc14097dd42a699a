#include <algorithm>
#include <cstdint>

#include "image/FileHandle.h"
#include "image/ImageReader.h"
#include "image/ReadErrors.h"

namespace zel::image {
namespace {

constexpr size_t kGrowthStep = size_t{1} << 20;

// Reads up to limit bytes; returns false on an I/O error. A regular file is read straight into
// a buffer of its size; other files (pipes, devices) grow the buffer as they deliver.
bool readUpTo(detail::FileHandle& file, size_t limit, Image& bytes) {
    if (auto size = file.regularFileSize()) {
        bytes.resize(std::min<uint64_t>(*size, limit));
        auto got = file.read(bytes.data(), bytes.size());
        if (!got) return false;
        bytes.resize(*got);
        return true;
    }
    size_t filled = 0;
    for (;;) {
        bytes.resize(std::min(limit, filled + std::max(kGrowthStep, filled / 2)));
        auto got = file.read(bytes.data() + filled, bytes.size() - filled);
        if (!got) return false;
        filled += *got;
        if (filled < bytes.size() || filled == limit) break;
    }
    bytes.resize(filled);
    bytes.shrink_to_fit();
    return true;
}

}  // namespace

ReadResult readBinary(const std::filesystem::path& path) {
    std::string name = displayName(path);
    auto file = detail::FileHandle::openForReading(path);
    if (!file.isOpen()) return detail::fileError(ReadFailure::CannotOpen, name, "cannot open the file");
    Image bytes;
    if (!readUpTo(file, SIZE_MAX, bytes)) return detail::fileError(ReadFailure::CannotRead, name, "read error");
    if (bytes.empty()) return detail::fileError(ReadFailure::EmptyFile, name, "the file is empty");
    return bytes;
}

std::optional<BinaryPrefix> readBinaryPrefix(const std::filesystem::path& path, size_t limit) {
    auto file = detail::FileHandle::openForReading(path);
    if (!file.isOpen()) return std::nullopt;
    BinaryPrefix prefix;
    if (!readUpTo(file, limit, prefix.bytes)) return std::nullopt;
    auto size = file.regularFileSize();
    prefix.fileSize = size ? *size : prefix.bytes.size();
    return prefix;
}

}  // namespace zel::image
