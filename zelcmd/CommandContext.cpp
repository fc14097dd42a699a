#include "CommandContext.h"

#include <utility>

#include "fileio/RegularFile.h"
#include "text/TextCodec.h"

namespace zel::cmd {

CommandContext::CommandContext(Environment environment, Options options, int deviceCount)
    : environment_(std::move(environment)),
      options_(std::move(options)),
      deviceCount_(deviceCount > 0 ? deviceCount : 0),
      devices_(static_cast<size_t>(deviceCount_)) {}

std::vector<int> CommandContext::selectedDevices() const {
    if (options_.device) return {static_cast<int>(*options_.device) - 1};
    std::vector<int> all;
    for (int index = 0; index < deviceCount_; ++index) all.push_back(index);
    return all;
}

std::uint32_t CommandContext::withTargetBit(std::uint32_t address) const {
    return options_.targetTwo() ? (address | 0x80000000u) : address;
}

void CommandContext::explain(int index) {
    const auto problem = api().problem(index);
    if (problem && !problem.detail.empty()) console().err("  Reason: " + problem.detail + "\n");
}

std::filesystem::path userPath(const std::string& utf8) { return text::widePath(text::utf8ToWide(utf8)); }

bool isReadableFile(const std::filesystem::path& file) { return fileio::RegularFile::openForReading(file).isOpen(); }

bool refuseNonRegularFile(Console& console, const std::filesystem::path& file, const std::string& shown) {
    if (!fileio::namesNonRegularFile(file)) return false;
    console.line(notRegularFileError(shown));
    return true;
}

std::string notRegularFileError(const std::string& shown) { return "Error: " + shown + " is not a regular file"; }

}  // namespace zel::cmd
