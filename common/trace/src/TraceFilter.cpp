#include "trace/TraceFilter.h"

#include <optional>

#include "trace/TraceRecord.h"

namespace zel::trace {
namespace {

// The whole address the command record carries, if it carries one.
std::optional<std::uint32_t> commandAddress(RecordView command, unsigned width) {
    const auto payload = command.payload();
    if (width == 0 || payload.size() < 1 + width) return std::nullopt;
    std::uint32_t address = 0;
    for (unsigned i = 1; i <= width; ++i) address = address << 8 | payload[i];
    return address;
}

bool matches(RecordView command, const CommandIoTable& io, const FilterSettings& settings, bool fourByte,
             std::uint32_t mask) {
    const std::uint8_t opcode = command.opcode();
    const unsigned width = io.addressWidth(opcode, fourByte);
    std::optional<std::uint32_t> address = commandAddress(command, width);
    if (address && settings.maskAddresses) *address &= mask;
    for (std::size_t i = 0; i < kFilterOpcodes.size(); ++i) {
        if (!(settings.conditions >> i & 1) || kFilterOpcodes[i] != opcode) continue;
        if (!(kRangedConditions >> i & 1)) return true;
        if (address && settings.start <= *address && *address < settings.end) return true;
    }
    if (settings.specialCommand && *settings.specialCommand == opcode) {
        // An opcode without an address has no range to fall outside.
        if (width == 0) return true;
        if (address && settings.start <= *address && *address <= settings.end) return true;
    }
    return false;
}

}  // namespace

FilteredTrace filterTrace(std::span<const std::uint8_t> records, const TransactionIndex& index,
                          const CommandIoTable& io, const FilterSettings& settings, std::uint32_t addressMask) {
    FilteredTrace result;
    if (!settings.active()) return result;
    const std::size_t total = std::min(recordCount(records), index.recordCount());
    for (std::size_t number = 1; number <= index.transactionCount(); ++number) {
        const std::size_t stamp = index.timestampRecord(number);
        // Only the record right after the timestamp record is a transaction's command.
        if (stamp + 1 >= total) continue;
        const RecordView command = recordAt(records, stamp + 1);
        if (command.recordClass() != RecordClass::Numbered) continue;
        if (!matches(command, io, settings, index.fourByteMode(number), addressMask)) continue;
        const std::size_t end = std::min(index.endRecord(number), total);
        result.records.insert(result.records.end(), records.begin() + static_cast<std::ptrdiff_t>(stamp * kRecordSize),
                              records.begin() + static_cast<std::ptrdiff_t>(end * kRecordSize));
        result.numbers.push_back(static_cast<std::uint32_t>(number));
        result.fourByte.push_back(index.fourByteMode(number));
    }
    return result;
}

}  // namespace zel::trace
