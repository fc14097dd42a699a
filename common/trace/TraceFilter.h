// "Start Filtering": the transactions whose command record matches the checked conditions, the
// address range or the special command, copied whole (timestamp record first) with their
// transaction numbers and addressing modes for the result writer.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "trace/CommandIoTable.h"
#include "trace/TraceDecoding.h"
#include "trace/TransactionIndex.h"

namespace zel::trace {

// Condition bit i selects kFilterOpcodes[i]: Write Enable, Write Disable, Read Status Register,
// Write Status Register, Normal Read, Fast Read, Page Program, Sector Erase, Chip Erase (C7),
// Chip Erase (60), Read ID.
inline constexpr std::array<std::uint8_t, 11> kFilterOpcodes = {0x06, 0x04, 0x05, 0x01, 0x03, 0x0B,
                                                               0x02, 0xD8, 0xC7, 0x60, 0x9F};
// Normal Read, Fast Read, Page Program and Sector Erase match only start <= address < end.
inline constexpr std::uint16_t kRangedConditions = 0x00F0;
inline constexpr std::uint16_t kAllConditions = 0x07FF;

struct FilterSettings {
    std::uint16_t conditions = 0;
    std::optional<std::uint8_t> specialCommand;  // matches start <= address <= end
    std::uint32_t start = 0, end = 0;
    bool maskAddresses = false;  // AND addresses with the chip's mask before comparing

    bool active() const { return (conditions & kAllConditions) != 0 || specialCommand.has_value(); }
};

struct FilteredTrace {
    std::vector<std::uint8_t> records;  // whole transactions, timestamp record first
    std::vector<std::uint32_t> numbers; // transaction number of each, in order
    std::vector<bool> fourByte;         // addressing mode of each
};

// A command record matches only as the first record after its timestamp record; a record with
// no record before it (offset 0) never does. Range conditions need the whole address in the
// command record (3 or 4 bytes, as the addressing mode and opcode say); a record too short to
// hold it matches none of them.
FilteredTrace filterTrace(std::span<const std::uint8_t> records, const TransactionIndex& index,
                          const CommandIoTable& io, const FilterSettings& settings, std::uint32_t addressMask);
// The same, with the address of an opcode the emulator does not decode taken from its I/O-decoded
// bytes rather than its raw samples; the mask is the context's chip's.
FilteredTrace filterTrace(std::span<const std::uint8_t> records, const TransactionIndex& index,
                          const DecodeContext& context, const FilterSettings& settings);

}  // namespace zel::trace
