// What zeltrace stats reports about a capture: counts, the time span, and per opcode its
// transactions, data bytes and the address ranges it touched (address to address + data bytes,
// merged).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "trace/TraceDecoding.h"

namespace zel::zeltrace {

struct OpcodeStats {
    std::uint64_t transactions = 0;
    std::uint64_t dataBytes = 0;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;  // [first, last], merged, in order
};

struct TraceStats {
    std::uint64_t records = 0, transactions = 0, empty = 0, breaks = 0;
    std::optional<std::uint64_t> firstTicks, lastTicks;
    std::array<OpcodeStats, 256> opcodes;
};

TraceStats collectStats(std::span<const std::uint8_t> records, const trace::DecodeContext& context);
// The report; at most `rangesShown` ranges per opcode are listed.
std::string formatStats(const TraceStats& stats, const trace::DecodeContext& context, std::size_t rangesShown = 8);

}  // namespace zel::zeltrace
