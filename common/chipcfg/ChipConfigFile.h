// Reading a .cfg chip-configuration file: its header, the chip's names, supply voltage and option
// flags, and whether it carries an SFDP table.
//
// What fails the read as a whole (then the caller changes none of its outputs, and does not walk
// the file):
//   - the file cannot be read, is not a regular file or is larger than kMaxFileSize;
//   - the file is shorter than its 32-byte header;
//   - the chip size is 0 or larger than kMaxChipSize, or, with the "Vcfg" magic, the supply
//     voltage is none of kSupplyMillivolts: no emulator can impersonate that chip;
//   - the file carries the "Vcfg" magic and the vendor name, chip name, voltage or option offset
//     points outside it (a string needs its first byte inside the file, the voltage its two bytes,
//     the options their three bytes).
// What does not:
//   - a record offset beyond the file: the body is empty, the walk sends its defaults;
//   - a string without a terminator: it ends at the end of the file;
//   - a string longer than its limit: the vendor name keeps 255 bytes, the chip name 99 bytes
//     (the truncation is reported, so a catalogue check can flag the file);
//   - a file without the magic: it carries no chip information (info is empty) and its offsets
//     other than the record offset are not looked at.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "chipcfg/ChipConfigLayout.h"
#include "chipcfg/Result.h"

namespace zel::chipcfg {

struct ChipConfigHeader {
    std::uint32_t magic = 0;
    std::uint32_t reserved = 0;
    std::uint32_t recordOffset = 0;
    std::uint32_t chipSize = 0;
    std::uint32_t vendorOffset = 0;
    std::uint32_t chipNameOffset = 0;
    std::uint32_t voltageOffset = 0;
    std::uint32_t optionsOffset = 0;

    bool hasMagic() const { return magic == kMagic; }
    friend bool operator==(const ChipConfigHeader&, const ChipConfigHeader&) = default;
};

// Each flag is on only when its byte holds exactly 1.
struct ChipOptions {
    bool fixedAddressMode = false;  // the chip keeps one addressing mode
    bool quadEnable = false;        // QE bit
    bool dieErase = false;          // die-erase size
    friend bool operator==(const ChipOptions&, const ChipOptions&) = default;
};

// What a file with the magic tells about its chip. Names are kept as the file's Windows-1252
// bytes; vendor() and chipName() convert them.
struct ChipInfo {
    std::string vendorAnsi;
    std::string chipNameAnsi;
    std::uint16_t voltageMillivolts = 0;
    ChipOptions options;
    bool vendorTruncated = false;
    bool chipNameTruncated = false;

    std::wstring vendor() const;
    std::wstring chipName() const;
    friend bool operator==(const ChipInfo&, const ChipInfo&) = default;
};

struct ChipConfigFile {
    ChipConfigHeader header;
    std::optional<ChipInfo> info;  // only with the magic
    bool hasSfdp = false;
    std::uint64_t fileSize = 0;

    bool hasMagic() const { return header.hasMagic(); }
    std::uint32_t chipSize() const { return header.chipSize; }
    // Whether at least one whole record starts at the record offset.
    bool hasRecords() const { return header.recordOffset <= fileSize && fileSize - header.recordOffset >= kRecordSize; }
};

// The file's bytes, whole, or why they cannot be had.
Result<std::vector<std::uint8_t>> loadChipConfigBytes(const std::filesystem::path& path);

Result<ChipConfigFile> readChipConfig(Bytes bytes);
Result<ChipConfigFile> readChipConfigFile(const std::filesystem::path& path);

// "SFDP" at offset 180 of a file of at least 184 bytes.
bool hasSfdpMarker(Bytes bytes);
// The same test on a file, reading no more than it needs; false when the file cannot be read.
bool fileHasSfdp(const std::filesystem::path& path);

}  // namespace zel::chipcfg
