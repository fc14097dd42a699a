#include "fileio/WholeFile.h"

#include <algorithm>
#include <cstdint>

#include "fileio/RegularFile.h"

namespace zel::fileio {
namespace {

// The size taken at open is only where reading starts: a file that grows meanwhile is read on,
// one byte past the limit at most, so that the growth past it shows.
template <class Buffer>
std::optional<Buffer> readBounded(const std::filesystem::path& path, std::size_t limit, std::error_code& error) {
    error.clear();
    limit = std::min(limit, SIZE_MAX - 1);
    auto file = RegularFile::openForReading(path);
    if (!file.isOpen()) {
        error = file.error();
        return std::nullopt;
    }
    if (file.size() > limit) {
        error = std::make_error_code(std::errc::file_too_large);
        return std::nullopt;
    }
    Buffer bytes;
    std::size_t filled = 0;
    std::size_t capacity = static_cast<std::size_t>(file.size()) + 1;
    for (;;) {
        bytes.resize(capacity);
        auto got = file.read(bytes.data() + filled, capacity - filled);
        if (!got) {
            error = file.error();
            return std::nullopt;
        }
        filled += *got;
        if (filled < capacity) break;  // the end came before the buffer was full
        if (filled > limit) {
            error = std::make_error_code(std::errc::file_too_large);
            return std::nullopt;
        }
        capacity = capacity > limit / 2 ? limit + 1 : capacity * 2;
    }
    bytes.resize(filled);
    return bytes;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path, std::size_t limit,
                                                       std::error_code& error) {
    return readBounded<std::vector<std::uint8_t>>(path, limit, error);
}

std::optional<std::string> readWholeText(const std::filesystem::path& path, std::size_t limit,
                                         std::error_code& error) {
    return readBounded<std::string>(path, limit, error);
}

}  // namespace zel::fileio
