#include "trace/TraceTextWriter.h"

#include <algorithm>
#include <cstdio>

namespace zel::trace {
namespace {

constexpr std::size_t kFlushAt = 1 << 16;
constexpr char kUpperHex[] = "0123456789ABCDEF";
constexpr char kLowerHex[] = "0123456789abcdef";

void appendPadded(std::string& out, std::string_view text, std::size_t width) {
    out.append(text);
    if (text.size() < width) out.append(width - text.size(), ' ');
}

// Decimal digits of `value`, at least `minDigits` of them (zero-filled).
void appendDecimal(std::string& out, std::uint64_t value, int minDigits = 1) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 || n < minDigits);
    while (n > 0) out.push_back(digits[--n]);
}

void padTo(std::string& out, std::size_t start, std::size_t width) {
    if (out.size() - start < width) out.append(width - (out.size() - start), ' ');
}

// A template with its "%02X" slots filled from `bytes`, in order.
void appendFilled(std::string& out, std::string_view pattern, const std::uint8_t* bytes, std::size_t count) {
    std::size_t next = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern.compare(i, 4, "%02X") == 0 && next < count) {
            const std::uint8_t b = bytes[next++];
            out.push_back(kUpperHex[b >> 4]);
            out.push_back(kUpperHex[b & 15]);
            i += 3;
        } else {
            out.push_back(pattern[i]);
        }
    }
}

}  // namespace

TraceTextWriter::TraceTextWriter(WriterKind kind, const DecodeContext& context, TextSink& sink)
    : kind_(kind), context_(context), layout_(writerLayout(kind)), sink_(&sink), mode_(context.chip) {}

void TraceTextWriter::writeHeader() {
    flush();
    written_ = 0;
    const int on = context_.translate ? 1 : 0;
    put(layout_.header[on]);
    put(std::string(layout_.separatorWidth[on], '=') + "\n");
    firstLine_ = true;
}

void TraceTextWriter::nextTransaction(std::uint32_t number, bool fourByteMode) {
    nextNumber_ = number;
    nextNumberSet_ = true;
    mode_.set(fourByteMode);
}

void TraceTextWriter::feed(std::span<const std::uint8_t> bytes) {
    if (partialLength_ > 0) {
        const std::size_t take = std::min(bytes.size(), kRecordSize - partialLength_);
        std::copy_n(bytes.begin(), take, partial_.begin() + static_cast<std::ptrdiff_t>(partialLength_));
        partialLength_ += take;
        bytes = bytes.subspan(take);
        if (partialLength_ < kRecordSize) return;
        partialLength_ = 0;
        record(RecordView(partial_.data()));
    }
    const std::size_t whole = bytes.size() / kRecordSize * kRecordSize;
    for (std::size_t at = 0; at < whole; at += kRecordSize) record(RecordView(bytes.data() + at));
    partialLength_ = bytes.size() - whole;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(whole), partialLength_, partial_.begin());
    if (pending_.size() >= kFlushAt) flush();
}

void TraceTextWriter::record(RecordView record) {
    const RecordRole role = sequence_.classify(record);
    if (role == RecordRole::Skip) return;
    if (role == RecordRole::Timestamp) return timestamp(record);
    if (transactions_ == 0) return;  // records before the first timestamp belong to no line
    // The first numbered record after a timestamp switches the addressing mode, as in the index.
    const bool first = afterTimestamp_;
    afterTimestamp_ = false;
    if (role == RecordRole::Command) command(record);
    else if (role == RecordRole::Continuation) continuation(record);
    else separator();
    if (first && record.fragment() == 0) mode_.command(record.opcode());
}

void TraceTextWriter::timestamp(RecordView record) {
    ++transactions_;
    const std::uint64_t number = nextNumberSet_ ? nextNumber_ : transactions_;
    nextNumberSet_ = false;
    // In a filter's result every transaction starts a fresh sequence: the gaps the filter left
    // between kept transactions are no breaks.
    if (kind_ == WriterKind::Result) sequence_.reset();
    // "%u.%08u" of the seconds and the rest, padded to 17 (18 with the line break), then CNT.
    if (pending_.size() >= kFlushAt) flush();
    std::size_t start = pending_.size();
    const bool lineBreak = !firstLine_;
    if (lineBreak) pending_.push_back('\n');
    firstLine_ = false;
    appendDecimal(pending_, record.ticks() / kTicksPerSecond);
    pending_.push_back('.');
    appendDecimal(pending_, record.ticks() % kTicksPerSecond, 8);
    padTo(pending_, start, kTimestampWidth + (lineBreak ? 1 : 0));
    start = pending_.size();
    appendDecimal(pending_, number);
    padTo(pending_, start, kCountWidth);
    inCommand_ = false;
    afterTimestamp_ = true;
    lineBytes_ = 0;
    needsSpace_ = false;
}

void TraceTextWriter::command(RecordView record) {
    const CommandLayout layout =
        layOutCommand(record, context_.io, context_.decoded(record.opcode()), mode_.fourByte(), context_.chip.addressMask());
    const CommandFieldLayout& field = layout_.fields[static_cast<std::size_t>(layout.shape)];
    std::string& text = pending_;
    const std::size_t start = text.size();
    if (context_.translate) {
        const auto& description = context_.io.at(layout.opcode).description;
        const std::string name = description ? std::string() : context_.io.name(layout.opcode);
        const std::string_view shown = description ? std::string_view(*description) : std::string_view(name);
        appendPadded(text, shown, field.namePad);
        // A name that fills its pad still keeps a blank before the bytes.
        if (shown.size() >= field.namePad && !field.translated.empty() && field.translated.front() != ' ')
            text.push_back(' ');
        appendFilled(text, field.translated, layout.fields.data(), layout.fieldCount);
    } else {
        std::uint8_t bytes[6] = {layout.opcode};
        std::copy_n(layout.fields.begin(), layout.fieldCount, bytes + 1);
        appendFilled(text, field.plain, bytes, layout.fieldCount + 1u);
    }
    inCommand_ = true;
    opcode_ = layout.opcode;
    undecoded_ = layout.shape == CommandShape::Undecoded;
    dummyLeft_ = layout.dummyAfter;
    lineBytes_ = field.dataBytes;
    needsSpace_ = text.size() > start && text.back() != ' ';
    if (undecoded_) {
        io_.reset();
        undecodedRoles_ = UndecodedBytes(layout.addressBytes, layout.dummyAfter);
        const auto payload = record.payload();
        if (payload.size() > 1) undecodedBytes(payload.subspan(1));
    }
}

void TraceTextWriter::continuation(RecordView record) {
    const auto payload = record.payload();
    if (inCommand_ && undecoded_) return undecodedBytes(payload);
    for (std::uint8_t byte : payload) {
        if (inCommand_ && dummyLeft_ > 0) {
            --dummyLeft_;
            continue;
        }
        dataByte(byte, false);
    }
}

void TraceTextWriter::undecodedBytes(std::span<const std::uint8_t> raw) {
    decodedScratch_.clear();
    io_.feed(raw, context_.io.ioMode(opcode_), decodedScratch_);
    for (std::uint8_t byte : decodedScratch_)
        if (undecodedRoles_.next() != UndecodedBytes::Role::Dummy) dataByte(byte, true);
}

void TraceTextWriter::separator() {
    put("\n********************************\n");
    inCommand_ = false;
    lineBytes_ = 0;
    needsSpace_ = false;
}

void TraceTextWriter::dataByte(std::uint8_t value, bool lowerCase) {
    if (lineBytes_ >= kDataBytesPerLine) {
        pending_.push_back('\n');
        pending_.append(layout_.indentation[context_.translate ? 1 : 0], ' ');
        lineBytes_ = 0;
        needsSpace_ = false;
    }
    if (needsSpace_) pending_.push_back(' ');
    const char* hex = lowerCase ? kLowerHex : kUpperHex;
    pending_.push_back(hex[value >> 4]);
    pending_.push_back(hex[value & 15]);
    pending_.push_back(' ');
    ++lineBytes_;
    needsSpace_ = false;
}

void TraceTextWriter::put(std::string_view text) { pending_.append(text); }

void TraceTextWriter::flush() {
    if (pending_.empty()) return;
    written_ += pending_.size();
    sink_->write(pending_);
    pending_.clear();
}

void writeFullTrace(std::span<const std::uint8_t> records, const DecodeContext& context, TextSink& sink) {
    TraceTextWriter writer(WriterKind::FullTrace, context, sink);
    writer.writeHeader();
    writer.feed(records);
    writer.flush();
}

void writeResult(const FilteredTrace& result, const DecodeContext& context, TextSink& sink) {
    TraceTextWriter writer(WriterKind::Result, context, sink);
    writer.writeHeader();
    const std::span<const std::uint8_t> records(result.records);
    const std::size_t count = recordCount(records);
    std::size_t transaction = 0;
    for (std::size_t start = 0; start < count;) {
        std::size_t end = start + 1;
        while (end < count && recordAt(records, end).recordClass() != RecordClass::Timestamp) ++end;
        if (recordAt(records, start).recordClass() == RecordClass::Timestamp && transaction < result.numbers.size()) {
            writer.nextTransaction(result.numbers[transaction], result.fourByte[transaction]);
            ++transaction;
        }
        writer.feed(records.subspan(start * kRecordSize, (end - start) * kRecordSize));
        start = end;
    }
    writer.flush();
}

}  // namespace zel::trace
