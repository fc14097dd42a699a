// --fsum: the 32-bit sum of the file's raw bytes (no image-format decoding), read in pieces so
// that a large file never has to fit in memory.
#include <array>
#include <fstream>

#include "CommandContext.h"
#include "commands/Commands.h"

namespace zel::cmd {
namespace {

std::optional<std::uint32_t> sumOfFile(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) return std::nullopt;
    std::array<char, 1 << 16> chunk{};
    std::uint32_t sum = 0;
    while (stream) {
        stream.read(chunk.data(), chunk.size());
        const auto got = stream.gcount();
        for (std::streamsize i = 0; i < got; ++i) sum += static_cast<std::uint8_t>(chunk[static_cast<size_t>(i)]);
    }
    if (stream.bad()) return std::nullopt;
    return sum;
}

}  // namespace

bool runFileChecksum(CommandContext& context) {
    const auto& path = *context.options().fsum;
    const auto sum = sumOfFile(userPath(path));
    if (!sum) {
        context.console().line("Error: Can not open " + path);
        return false;
    }
    context.console().out(format("\nChecksum(file): 0x%x", *sum));
    return true;
}

}  // namespace zel::cmd
