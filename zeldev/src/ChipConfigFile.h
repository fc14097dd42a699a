// The chip configuration file of the earlier design: "Vcfg" magic, the record offset in the
// word at 8, then 2-byte records (value, register) to the end of the file. A byte left over at
// the end is a cut-off record and is not used.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zel::zeldev {

inline constexpr uint32_t kChipConfigMagic = 0x67666356;  // "Vcfg"

struct RegisterSetting {
    uint8_t reg;
    uint8_t value;
    bool operator==(const RegisterSetting&) const = default;
};

// The register settings in file order; nothing when the file lacks the magic or its record
// offset lies in the header or beyond the end.
std::optional<std::vector<RegisterSetting>> parseChipConfig(std::span<const uint8_t> file);

}  // namespace zel::zeldev
