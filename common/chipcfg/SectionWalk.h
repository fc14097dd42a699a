// The record walk that turns a chip configuration's body into the emulator's register writes and
// level settings for one chip slot. The device link drives the hardware from it, the simulator's
// tests and the catalogue tools check files with it.
//
// Order of what the visitor receives:
//   1. section 1 (only with the "Vcfg" magic): one Setting per ordinary record; isG2() is asked
//      afresh before each record is judged, the 0xFFFF-tagged terminator included;
//   2. exactly one record is passed over (the terminator, or without the magic the first record);
//   3. one Level per level record, or the three default levels when there was none;
//   4. after the "SFDP" marker, only if any record follows it: SfdpSelect, then per record
//      SfdpData for its first and its second word, until "SRST";
//   5. StatusDefault per record until "PROT";
//   6. always ProtectionSelect, then ProtectionData for both words of every remaining record;
//   7. finish(): the caller sets bit 2 of register 0x2A (read-modify-write).
// A record cut off by the end of the file is not used; nothing past the end is read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

#include "chipcfg/ChipConfigLayout.h"
#include "chipcfg/Result.h"

namespace zel::chipcfg {

enum class ChipSlot : std::uint8_t { First = 0, Second = 1 };

// What a register write is for; the device only needs the register and the value.
enum class WriteKind : std::uint8_t {
    Setting,           // section 1
    SfdpSelect,        // 0xC9 := slot + 1
    SfdpData,          // 0xC1 / 0xC2
    StatusDefault,     // section 4
    ProtectionSelect,  // 0xC4 := slot + 1
    ProtectionData,    // 0xC5 / 0xC6
};

struct RegisterWrite {
    WriteKind kind;
    std::uint8_t reg;
    std::uint16_t value;
    friend bool operator==(const RegisterWrite&, const RegisterWrite&) = default;
};

struct LevelSet {
    std::uint8_t channel;
    std::uint16_t value;
    bool isDefault;  // one of the three levels sent for an empty level section
    friend bool operator==(const LevelSet&, const LevelSet&) = default;
};

class WalkVisitor {
public:
    virtual ~WalkVisitor() = default;
    virtual void writeRegister(const RegisterWrite& write) = 0;
    virtual void setLevel(const LevelSet& level) = 0;
    virtual void finish() = 0;
};

// Register of a slot: (slot * 0x70 + reg) mod 256.
std::uint8_t slotRegister(ChipSlot slot, std::uint8_t reg);

// Walks the file's bytes. isG2 answers the generation test (an empty callable means first
// generation). A file shorter than its header is refused and the visitor hears
// nothing; any other file is walked to the end and finish() is called once.
Result<void> walkChipConfig(Bytes file, ChipSlot slot, const std::function<bool()>& isG2, WalkVisitor& visitor);

// The same for a file on disk; a file that cannot be read is not walked either.
Result<void> walkChipConfigFile(const std::filesystem::path& path, ChipSlot slot, const std::function<bool()>& isG2,
                                WalkVisitor& visitor);

}  // namespace zel::chipcfg
