#include "trace/TraceFilter.h"

#include <optional>

#include "trace/IoDecoder.h"
#include "trace/TraceRecord.h"

namespace zel::trace {
namespace {

// The whole address the command record carries, if it carries one. Raw samples of an undecoded
// opcode are decoded first (`ioMode` set).
std::optional<std::uint32_t> commandAddress(RecordView command, unsigned width, std::optional<std::uint32_t> ioMode) {
    const auto payload = command.payload();
    if (width == 0 || payload.empty()) return std::nullopt;
    std::vector<std::uint8_t> decoded;
    auto bytes = payload.subspan(1);
    if (ioMode) {
        IoDecoder decoder;
        decoder.feed(bytes, *ioMode, decoded);
        bytes = decoded;
    }
    if (bytes.size() < width) return std::nullopt;
    std::uint32_t address = 0;
    for (unsigned i = 0; i < width; ++i) address = address << 8 | bytes[i];
    return address;
}

bool matches(RecordView command, const CommandIoTable& io, const FilterSettings& settings, bool fourByte,
             std::uint32_t mask, bool decoded) {
    const std::uint8_t opcode = command.opcode();
    const unsigned width = io.addressWidth(opcode, fourByte);
    std::optional<std::uint32_t> address =
        commandAddress(command, width, decoded ? std::nullopt : std::optional<std::uint32_t>(io.ioMode(opcode)));
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

// `context` null: every opcode counts as decoded by the emulator.
FilteredTrace filterWith(std::span<const std::uint8_t> records, const TransactionIndex& index, const CommandIoTable& io,
                         const FilterSettings& settings, std::uint32_t addressMask, const DecodeContext* context) {
    FilteredTrace result;
    if (!settings.active()) return result;
    const std::size_t total = std::min(recordCount(records), index.recordCount());
    for (std::size_t number = 1; number <= index.transactionCount(); ++number) {
        const std::size_t stamp = index.timestampRecord(number);
        // Only the record right after the timestamp record is a transaction's command.
        if (stamp + 1 >= total) continue;
        const RecordView command = recordAt(records, stamp + 1);
        if (command.recordClass() != RecordClass::Numbered) continue;
        const bool decoded = !context || context->decoded(command.opcode());
        if (!matches(command, io, settings, index.fourByteMode(number), addressMask, decoded)) continue;
        const std::size_t end = std::min(index.endRecord(number), total);
        result.records.insert(result.records.end(), records.begin() + static_cast<std::ptrdiff_t>(stamp * kRecordSize),
                              records.begin() + static_cast<std::ptrdiff_t>(end * kRecordSize));
        result.numbers.push_back(static_cast<std::uint32_t>(number));
        result.fourByte.push_back(index.fourByteMode(number));
    }
    return result;
}

}  // namespace

FilteredTrace filterTrace(std::span<const std::uint8_t> records, const TransactionIndex& index,
                          const CommandIoTable& io, const FilterSettings& settings, std::uint32_t addressMask) {
    return filterWith(records, index, io, settings, addressMask, nullptr);
}

FilteredTrace filterTrace(std::span<const std::uint8_t> records, const TransactionIndex& index,
                          const DecodeContext& context, const FilterSettings& settings) {
    return filterWith(records, index, context.io, settings, context.chip.addressMask(), &context);
}

}  // namespace zel::trace
