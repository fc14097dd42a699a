#include "trace/DisplayRows.h"

#include <algorithm>
#include <cstdio>

#include "trace/AddressMode.h"
#include "trace/CommandLayout.h"
#include "trace/IoDecoder.h"

namespace zel::trace {
namespace {

void appendHex(std::string& out, std::uint8_t value, bool trailingBlank) {
    char text[4];
    std::snprintf(text, sizeof text, trailingBlank ? "%02x " : "%02x", value);
    out.append(text);
}

// One pass's state: the row being built and how the current command's bytes are sorted.
class RowBuilder {
public:
    RowBuilder(const DecodeContext& context, const std::function<void(const TraceRow&)>& emit)
        : context_(context), emit_(emit) {}

    void timestamp(RecordView record, std::size_t number) {
        flush();
        row_.kind = TraceRow::Kind::Transaction;
        row_.timestamp = formatTimestamp(record.ticks());
        row_.count = std::to_string(number);
        open_ = true;
        lineBytes_ = 0;
        inCommand_ = false;
    }

    void command(RecordView record, bool fourByteMode) {
        const bool decoded = context_.decoded(record.opcode());
        const auto layout = layOutCommand(record, context_.io, decoded, fourByteMode, context_.chip.addressMask());
        ensureRow();
        if (context_.translate) row_.command = context_.io.name(layout.opcode);
        else appendHex(row_.command, layout.opcode, false);
        for (std::size_t i = 0; i < layout.fieldCount; ++i) {
            if (i < layout.addressBytes) appendHex(row_.address, layout.fields[i], i + 1 < layout.addressBytes);
            else data(layout.fields[i]);
        }
        inCommand_ = true;
        undecoded_ = !decoded;
        opcode_ = layout.opcode;
        dummyLeft_ = layout.dummyAfter;
        if (undecoded_) {
            io_.reset();
            roles_ = UndecodedBytes(layout.addressBytes, layout.dummyAfter);
            const auto payload = record.payload();
            if (payload.size() > 1) undecodedBytes(payload.subspan(1));
        }
    }

    void continuation(RecordView record) {
        ensureRow();
        if (inCommand_ && undecoded_) return undecodedBytes(record.payload());
        for (std::uint8_t byte : record.payload()) {
            if (inCommand_ && dummyLeft_ > 0) {
                --dummyLeft_;
                continue;
            }
            data(byte);
        }
    }

    void separator(RecordView record) {
        flush();
        TraceRow row;
        row.kind = TraceRow::Kind::Separator;
        row.timestamp = DisplayPass::kSeparator;
        for (std::uint8_t byte : record.payload()) appendHex(row.data, byte, true);
        row.data.push_back('\n');
        emit_(row);
        inCommand_ = false;
    }

    void flush() {
        if (open_) emit_(row_);
        row_ = TraceRow{};
        open_ = false;
    }

private:
    void ensureRow() {
        if (open_) return;
        row_ = TraceRow{};
        row_.kind = TraceRow::Kind::DataLine;
        open_ = true;
    }

    void data(std::uint8_t byte) {
        if (lineBytes_ == DisplayPass::kBytesPerLine) {
            flush();
            row_.kind = TraceRow::Kind::DataLine;
            open_ = true;
            lineBytes_ = 0;
        }
        appendHex(row_.data, byte, true);
        ++lineBytes_;
    }

    void undecodedBytes(std::span<const std::uint8_t> raw) {
        scratch_.clear();
        io_.feed(raw, context_.io.ioMode(opcode_), scratch_);
        for (std::uint8_t byte : scratch_) {
            switch (roles_.next()) {
            case UndecodedBytes::Role::Address: appendHex(row_.address, byte, true); break;
            case UndecodedBytes::Role::Dummy: break;
            case UndecodedBytes::Role::Data: data(byte); break;
            }
        }
    }

    const DecodeContext& context_;
    const std::function<void(const TraceRow&)>& emit_;
    TraceRow row_;
    bool open_ = false;
    std::size_t lineBytes_ = 0;
    bool inCommand_ = false, undecoded_ = false;
    std::uint8_t opcode_ = 0;
    std::uint32_t dummyLeft_ = 0;
    IoDecoder io_;
    UndecodedBytes roles_{0, 0};
    std::vector<std::uint8_t> scratch_;
};

}  // namespace

void DisplayPass::forEachRow(std::size_t first, std::size_t count, const std::function<void(const TraceRow&)>& row) const {
    const std::size_t total = std::min(recordCount(records_), index_.recordCount());
    if (first >= total) return;
    std::size_t number = index_.transactionAt(first);
    if (number > 0) first = index_.timestampRecord(number);
    const std::size_t end = std::min(total, first + std::min(count, total - first));

    RowBuilder builder(context_, row);
    // Take up the sequence where the transaction before the page left it, so a break at the
    // page's first transaction shows as it does in a pass from the top.
    SequenceTracker sequence;
    const std::size_t lookBackTo = number > 1 ? index_.timestampRecord(number - 1) : 0;
    for (std::size_t i = first; i > lookBackTo; --i) {
        const RecordView previous = recordAt(records_, i - 1);
        if (previous.recordClass() != RecordClass::Numbered) continue;
        sequence.classify(previous);
        break;
    }
    AddressModeTracker mode(context_.chip);
    mode.set(index_.fourByteMode(number));
    for (std::size_t i = first; i < end; ++i) {
        const RecordView record = recordAt(records_, i);
        const RecordRole role = sequence.classify(record);
        if (role == RecordRole::Skip) continue;
        if (role == RecordRole::Timestamp) {
            if (i != first) ++number;
            // Every transaction takes its mode from the index, and the pass takes its sequence
            // from its first command record: a page never depends on the pages viewed before it.
            mode.set(index_.fourByteMode(number));
            builder.timestamp(record, number);
            continue;
        }
        if (number == 0) continue;  // before the first timestamp record: part of no transaction
        if (role == RecordRole::Command) builder.command(record, mode.fourByte());
        else if (role == RecordRole::Continuation) builder.continuation(record);
        else builder.separator(record);
    }
    builder.flush();
}

std::vector<TraceRow> DisplayPass::rows(std::size_t first, std::size_t count) const {
    std::vector<TraceRow> out;
    forEachRow(first, count, [&out](const TraceRow& row) { out.push_back(row); });
    return out;
}

}  // namespace zel::trace
