// Building a .cfg chip-configuration file from a description of the chip.
//
// Layout: the 32-byte header, the vendor and chip names (Windows-1252, NUL-terminated), the
// voltage, the three option bytes, filler when the SFDP marker must move, then the records:
// section-1 settings and their terminator, the levels, and, when any of the SFDP table, the
// status-register defaults or the protection table has content, the "SFDP" marker, the table,
// "SRST", the defaults, "PROT" and the protection table.
//
// The writer refuses what the walk would read differently from what was described: a setting
// whose value is a terminator for a generation the file serves, a level value equal to the
// "SFDP" marker word, an SFDP-table record with an "SRST" marker word in its position, a status
// default with the "PROT" marker word. Data that no marker test looks at (the SFDP table's own
// "SFDP" signature, for one) is written as it is.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "chipcfg/ChipConfigFile.h"
#include "chipcfg/Result.h"

namespace zel::chipcfg {

struct RegisterSetting {
    std::uint8_t reg;
    std::uint16_t value;
    friend bool operator==(const RegisterSetting&, const RegisterSetting&) = default;
};

struct LevelSetting {
    std::uint8_t channel;
    std::uint16_t value;
    friend bool operator==(const LevelSetting&, const LevelSetting&) = default;
};

// Which devices the file serves, by how section 1 ends:
enum class Section1End {
    AnyGeneration,        // a record tagged 0xFFFF; settings may not hold 0x0FFF or 0x1FFF
    FirstGenerationOnly,  // value 0x0FFF; settings may not hold 0x0FFF
    G2Only,               // value 0x1FFF; settings may not hold 0x1FFF
};

struct ChipConfigDescription {
    std::wstring vendor;    // at most 255 Windows-1252 characters
    std::wstring chipName;  // at most 99 Windows-1252 characters, usable as a file name
    std::uint32_t chipSize = 0;
    std::uint16_t voltageMillivolts = 0;
    ChipOptions options;
    std::uint32_t reserved = 0;

    std::vector<RegisterSetting> settings;
    Section1End section1End = Section1End::AnyGeneration;
    std::vector<LevelSetting> levels;         // none: the device takes the default levels
    std::vector<std::uint16_t> sfdpWords;     // pairs of words, one record each
    std::vector<RegisterSetting> statusDefaults;
    std::vector<std::uint16_t> protectionWords;  // pairs of words, one record each

    // With an SFDP table, put its marker at offset 180 so that the file reports SFDP (refused
    // when the header, names and records before the marker take more room). Without a table the
    // writer always keeps "SFDP" away from offset 180.
    bool sfdpMarkerAtPresenceOffset = true;
};

Result<std::vector<std::uint8_t>> writeChipConfig(const ChipConfigDescription& description);

// Writes the file through a temporary beside it and a rename, so a failed write leaves any
// earlier file whole.
Result<void> saveChipConfig(const std::filesystem::path& path, const ChipConfigDescription& description);

// A table given as bytes (an SFDP dump) as record words; a last partial record is padded with
// 0xFF, what an erased flash reads.
std::vector<std::uint16_t> wordsFromBytes(Bytes table);

}  // namespace zel::chipcfg
