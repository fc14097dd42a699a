#include "TraceBrowser.h"

#include <algorithm>
#include <string>

namespace zel::gui::trace {

using zel::trace::kRecordSize;
using zel::trace::RecordClass;
using zel::trace::recordAt;

TraceBrowser::TraceBrowser(CapturedTrace trace, const zel::trace::DecodeContext& context)
    : trace_(std::move(trace)), context_(context), index_(zel::trace::TransactionIndex::build(trace_.bytes(), context.chip)) {}

std::span<const std::uint8_t> TraceBrowser::shown() const {
    return result_ ? std::span<const std::uint8_t>(result_->records) : trace_.bytes();
}

std::uint32_t TraceBrowser::scrollRange() const {
    return static_cast<std::uint32_t>(shown().size() / kScrollUnitBytes);
}

std::vector<zel::trace::TraceRow> TraceBrowser::page(std::uint32_t position, std::size_t records) const {
    return rowsFrom(std::size_t{position} * (kScrollUnitBytes / kRecordSize), records);
}

std::vector<zel::trace::TraceRow> TraceBrowser::pageFrom(std::size_t number, std::size_t records) const {
    return rowsFrom(shownIndex().timestampRecord(number), records);
}

std::vector<zel::trace::TraceRow> TraceBrowser::rowsFrom(std::size_t first, std::size_t records) const {
    zel::trace::DisplayPass pass(shown(), shownIndex(), context_);
    auto rows = pass.rows(first, records);
    if (!result_) return rows;
    // The filter's result is numbered 1.. by its own records; show the numbers of the capture.
    for (auto& row : rows) {
        if (row.kind != zel::trace::TraceRow::Kind::Transaction || row.count.empty()) continue;
        const std::size_t local = std::stoul(row.count);
        if (local >= 1 && local <= result_->numbers.size()) row.count = std::to_string(result_->numbers[local - 1]);
    }
    return rows;
}

bool TraceBrowser::filter(const zel::trace::FilterSettings& settings, bool maskAddresses) {
    if (!settings.active()) return false;
    zel::trace::FilterSettings used = settings;
    used.maskAddresses = maskAddresses;
    auto result = std::make_shared<zel::trace::FilteredTrace>(
        zel::trace::filterTrace(trace_.bytes(), index_, context_, used));
    if (result->numbers.empty()) return false;
    resultIndex_ = zel::trace::TransactionIndex::build(result->records, context_.chip);
    result_ = std::move(result);
    return true;
}

void TraceBrowser::showAll() {
    result_.reset();
    resultIndex_ = {};
}

bool TraceBrowser::touches(std::size_t transaction, std::uint32_t address) const {
    const auto& index = shownIndex();
    const auto records = shown();
    const std::size_t commandRecord = index.timestampRecord(transaction) + 1;
    if (!index.hasCommand(transaction) || commandRecord >= index.endRecord(transaction)) return false;
    const auto command = recordAt(records, commandRecord);
    if (command.recordClass() != RecordClass::Numbered) return false;
    const std::uint8_t opcode = command.opcode();
    const unsigned width = context_.io.addressWidth(opcode, index.fourByteMode(transaction));
    const auto payload = command.payload();
    if (width == 0 || payload.size() < 1 + width) return false;
    std::uint32_t start = 0;
    for (unsigned i = 1; i <= width; ++i) start = start << 8 | payload[i];
    start &= context_.chip.addressMask();
    // Every byte after the address, dummies aside, is one address of the chip the command touches.
    std::size_t bytes = payload.size() - 1 - width;
    for (std::size_t r = commandRecord + 1; r < index.endRecord(transaction); ++r)
        bytes += recordAt(records, r).payload().size();
    const std::uint32_t dummy = context_.io.dummy(opcode);
    bytes = bytes > dummy ? bytes - dummy : 0;
    const std::uint64_t end = std::uint64_t{start} + std::max<std::size_t>(bytes, 1);
    return address >= start && address < end;
}

std::optional<TraceBrowser::Found> TraceBrowser::findAddress(std::uint32_t address, std::size_t after) const {
    const auto& index = shownIndex();
    for (std::size_t transaction = after + 1; transaction <= index.transactionCount(); ++transaction)
        if (touches(transaction, address))
            return Found{transaction,
                         static_cast<std::uint32_t>(index.timestampRecord(transaction) * kRecordSize / kScrollUnitBytes)};
    return std::nullopt;
}

}  // namespace zel::gui::trace
