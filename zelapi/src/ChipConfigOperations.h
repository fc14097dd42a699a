// Chip-configuration files at API level: reading a file's header into the chip information,
// applying a file to an emulator (through command 4 of the device link) and the chip-dependent
// option registers. The Cli exports of this group are thin wrappers around these.
//
// A file is used only when its header read succeeds: it can be read, is at least as long as its
// header, names a chip an emulator can impersonate (1 byte to 256 MiB; with the "Vcfg" magic,
// 1800, 2500 or 3300 mV) and, with the magic, every name, voltage and option offset lies inside
// it. A file that fails this changes no output and no chip information, and is never sent to the
// device.
#pragma once

#include "CProject.h"

#include <cstdint>

namespace zel::api {

namespace chipreg {
inline constexpr uint8_t kAddressLength = 0x4F;
inline constexpr uint8_t kQuadEnable = 0x4D;
inline constexpr uint8_t kDieEraseSize = 0x3B;
inline constexpr uint16_t kFixedAddressMode = 0x10;
}  // namespace chipreg

// Buffers the caller hands to CliGetConfigFileInfo; null members are skipped.
struct ConfigFileInfoOutputs {
    wchar_t* vendor = nullptr;      // kVendorChars characters with the terminator
    wchar_t* chip = nullptr;        // kChipChars characters with the terminator
    uint32_t* chipSize = nullptr;
    uint32_t* voltage = nullptr;    // only when the API is initialised
    uint8_t* addressModeFlag = nullptr;  // only when the API is initialised
};

inline constexpr size_t kVendorChars = 256;
inline constexpr size_t kChipChars = 100;

// Fills the outputs from a file with the magic; `api` null (not initialised) fills only vendor,
// chip and chipSize and updates no chip information.
void readConfigFileInfo(CProject* api, const wchar_t* path, const ConfigFileInfoOutputs& out);

// 1 when the file carries the "SFDP" marker at offset 180, else 0.
uint8_t configFileHasSfdp(const wchar_t* path);

// Applies the file to target 1 or 2 of device `index` and records the chip size of that target.
// A file whose header read fails, or whose chip name cannot name a configuration file (path
// separators, ".."), is refused as an unsupported chip: nothing is sent or changed. True when
// the device link applied the file with every transfer succeeding.
bool setChipType(CProject& api, const wchar_t* path, bool target2, int index);

// The option registers from the last file read.
uint16_t addressLengthValue(const ChipInformation& chip, bool threeByte);
void writeAddressLength(CProject& api, bool threeByte, int index);
void writeQuadEnable(CProject& api, int index);
void writeDieEraseSize(CProject& api, int index);

}  // namespace zel::api
