// The JESD216 SFDP table of a catalogue chip, generated from its fields: the "SFDP" header, the
// parameter headers, the basic flash parameter table (9 DWORDs for revision 1.0, 16 for 1.5 and
// 1.6) and, for a revision-1.6 chip with 4-byte opcodes, the 4-byte address instruction table.
// Everything the target may ask beyond what the chip's fields say (suspend, deep power-down,
// 2-2-2 and 4-4-4 reads) is declared unsupported, as the emulator does not offer it.
#pragma once

#include <cstdint>
#include <vector>

#include "ChipEntry.h"

namespace zel::catalogue::sfdp {

inline constexpr std::uint16_t kBasicTableId = 0xFF00;
inline constexpr std::uint16_t kFourByteTableId = 0xFF84;
inline constexpr std::uint8_t kLegacyAccessProtocol = 0xFF;

inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::size_t kParameterHeaderSize = 8;
inline constexpr std::size_t kShortBasicDwords = 9;   // JESD216
inline constexpr std::size_t kLongBasicDwords = 16;   // JESD216A and B
inline constexpr std::size_t kFourByteTableDwords = 2;

struct EraseType {
    std::uint8_t sizeLog2;
    std::uint8_t opcode;
    std::uint8_t fourByteOpcode;
    std::uint8_t sizeBit;  // erase:: value
};
// The erase types a chip can have, smallest first.
inline constexpr EraseType kEraseTypes[] = {
    {12, 0x20, 0x21, erase::k4K},
    {15, 0x52, 0x5C, erase::k32K},
    {16, 0xD8, 0xDC, erase::k64K},
};

// The chip's table bytes; empty for a chip without SFDP.
std::vector<std::uint8_t> buildTable(const ChipEntry& chip);

bool hasFourByteTable(const ChipEntry& chip);

}  // namespace zel::catalogue::sfdp
