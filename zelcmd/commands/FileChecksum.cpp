// --fsum: the 32-bit sum of the file's raw bytes (no image-format decoding), read in pieces so
// that a large file never has to fit in memory. Only a regular file is summed, as large as it was
// when opened: a FIFO or a device would block the read or never end it.
#include <algorithm>
#include <array>

#include "CommandContext.h"
#include "commands/Commands.h"
#include "fileio/FileErrors.h"
#include "fileio/RegularFile.h"

namespace zel::cmd {
namespace {

std::optional<std::uint32_t> sumOfFile(fileio::RegularFile& file) {
    std::array<std::uint8_t, 1 << 16> chunk{};
    std::uint32_t sum = 0;
    for (std::uint64_t left = file.size(); left > 0;) {
        const auto got = file.read(chunk.data(), static_cast<size_t>(std::min<std::uint64_t>(left, chunk.size())));
        if (!got) return std::nullopt;
        if (*got == 0) break;
        for (size_t i = 0; i < *got; ++i) sum += chunk[i];
        left -= *got;
    }
    return sum;
}

}  // namespace

bool runFileChecksum(CommandContext& context) {
    const auto& path = *context.options().fsum;
    auto file = fileio::RegularFile::openForReading(userPath(path));
    const auto sum = file.isOpen() ? sumOfFile(file) : std::nullopt;
    if (!sum) {
        const bool notRegular = file.error() == fileio::FileError::NotRegularFile;
        context.console().line(notRegular ? notRegularFileError(path) : "Error: Can not open " + path);
        return false;
    }
    context.console().out(format("\nChecksum(file): 0x%x", *sum));
    return true;
}

}  // namespace zel::cmd
