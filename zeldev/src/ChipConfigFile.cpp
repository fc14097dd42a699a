#include "ChipConfigFile.h"

#include "FileBytes.h"

namespace zel::zeldev {

namespace {
constexpr uint64_t kHeaderSize = 12;
constexpr uint64_t kRecordSize = 2;
}  // namespace

std::optional<std::vector<RegisterSetting>> parseChipConfig(std::span<const uint8_t> file)
{
    if (wordAt(file, 0) != kChipConfigMagic)
        return std::nullopt;
    const auto first = wordAt(file, 8);
    if (!first || *first < kHeaderSize || *first > file.size())
        return std::nullopt;
    std::vector<RegisterSetting> settings;
    for (uint64_t offset = *first; file.size() - offset >= kRecordSize; offset += kRecordSize)
        settings.push_back({file[offset + 1], file[offset]});
    return settings;
}

}  // namespace zel::zeldev
