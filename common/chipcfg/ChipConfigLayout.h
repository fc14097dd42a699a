// The fixed numbers of the .cfg chip-configuration format: header fields, markers, terminators,
// and the FPGA registers the record walk writes. All numbers in the file are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace zel::chipcfg {

using Bytes = std::span<const std::uint8_t>;

inline constexpr std::size_t kHeaderSize = 32;

// Header field offsets (each a 32-bit word).
inline constexpr std::size_t kMagicField = 0;
inline constexpr std::size_t kReservedField = 4;
inline constexpr std::size_t kRecordOffsetField = 8;
inline constexpr std::size_t kChipSizeField = 12;
inline constexpr std::size_t kVendorOffsetField = 16;
inline constexpr std::size_t kChipNameOffsetField = 20;
inline constexpr std::size_t kVoltageOffsetField = 24;
inline constexpr std::size_t kOptionsOffsetField = 28;

inline constexpr std::uint32_t kMagic = 0x67666356;  // "Vcfg"

// Longest strings a file may carry, in bytes, without their terminator.
inline constexpr std::size_t kMaxVendorBytes = 255;
inline constexpr std::size_t kMaxChipNameBytes = 99;

inline constexpr std::size_t kOptionByteCount = 3;

// What an emulator can impersonate: a chip of 1 byte up to its 256 MiB of emulation memory per
// target (sizes that are no power of two included), supplied at one of these voltages.
inline constexpr std::uint32_t kMaxChipSize = 0x10000000;
inline constexpr std::uint16_t kSupplyMillivolts[] = {1800, 2500, 3300};

// A file has SFDP when the "SFDP" marker sits exactly here.
inline constexpr std::size_t kSfdpPresenceOffset = 180;
inline constexpr std::size_t kSfdpPresenceMinimumSize = kSfdpPresenceOffset + 4;
inline constexpr std::uint32_t kSfdpSignature = 0x50444653;  // "SFDP"

// Real configurations are a few KiB; anything far larger is not one and is not loaded whole.
inline constexpr std::uintmax_t kMaxFileSize = 16u << 20;

inline constexpr std::size_t kRecordSize = 4;

// One body record: a value word, then a word whose low byte names a register or level channel.
struct Record {
    std::uint16_t first = 0;
    std::uint16_t second = 0;
    friend bool operator==(const Record&, const Record&) = default;
};

// A marker is recognised when either of its words matches in its own position.
struct Marker {
    std::uint16_t first;
    std::uint16_t second;
    bool matches(Record r) const { return r.first == first || r.second == second; }
};

inline constexpr Marker kSfdpMarker{0x4653, 0x5044};  // "SFDP": ends the level section
inline constexpr Marker kSrstMarker{0x5253, 0x5453};  // "SRST": ends the SFDP table
inline constexpr Marker kProtMarker{0x5250, 0x544F};  // "PROT": ends the status-register defaults

// Section 1 ends at a record whose second word is this, or at the generation terminator value.
inline constexpr std::uint16_t kSection1EndTag = 0xFFFF;
inline constexpr std::uint16_t kFirstGenerationTerminator = 0x0FFF;
inline constexpr std::uint16_t kG2Terminator = 0x1FFF;

// Chip slot 1 uses the slot-0 registers plus this, modulo 256.
inline constexpr unsigned kSlotRegisterStride = 0x70;

inline constexpr std::uint8_t kSfdpSelectRegister = 0xC9;
inline constexpr std::uint8_t kSfdpDataRegisterSlot0 = 0xC1;  // slot 1: 0xC2
inline constexpr std::uint8_t kProtectionSelectRegister = 0xC4;
inline constexpr std::uint8_t kProtectionDataRegisterSlot0 = 0xC5;  // slot 1: 0xC6
// After the walk the caller reads this register, sets the bit and writes it back.
inline constexpr std::uint8_t kPinControlRegister = 0x2A;
inline constexpr std::uint16_t kPinControlConfiguredBit = 0x0004;

// Levels sent when the level section holds no record.
struct DefaultLevel {
    std::uint8_t channel;
    std::uint16_t value;
};
inline constexpr DefaultLevel kDefaultLevels[] = {{2, 3000}, {3, 1000}, {4, 3300}};

inline std::uint16_t readLe16(Bytes bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline std::uint32_t readLe32(Bytes bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) |
           (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

// The record at offset, when all four of its bytes lie inside the file.
inline std::optional<Record> recordAt(Bytes bytes, std::uint64_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < kRecordSize) return std::nullopt;
    auto at = static_cast<std::size_t>(offset);
    return Record{readLe16(bytes, at), readLe16(bytes, at + 2)};
}

}  // namespace zel::chipcfg
