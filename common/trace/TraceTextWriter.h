// The trace text writers: one engine, three layouts (TextLayouts.h).
//
//   full trace   the whole buffer, "Save Trace"
//   result       a filtered buffer with its transaction numbers, "Save Result"; every
//                transaction starts a fresh sequence, so the gaps the filter leaves are no breaks
//   continuous   records as the capture brings them in (ring mode), fed chunk by chunk
//
// Text goes to a TextSink the caller supplies. A writer may be fed any number of chunks; a
// transaction, and even a record, may span two chunks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "trace/AddressMode.h"
#include "trace/CommandLayout.h"
#include "trace/IoDecoder.h"
#include "trace/TextLayouts.h"
#include "trace/TraceDecoding.h"
#include "trace/TraceFilter.h"

namespace zel::trace {

class TextSink {
public:
    virtual ~TextSink() = default;
    virtual void write(std::string_view text) = 0;
};

class StringSink final : public TextSink {
public:
    void write(std::string_view text) override { text_.append(text); }
    const std::string& text() const { return text_; }
    void clear() { text_.clear(); }

private:
    std::string text_;
};

class TraceTextWriter {
public:
    TraceTextWriter(WriterKind kind, const DecodeContext& context, TextSink& sink);

    // The header and the "=" line; the next transaction line starts without a line break. Call it
    // again after switching to a new file (switchSink) to start that file the same way.
    void writeHeader();
    void switchSink(TextSink& sink) { sink_ = &sink; }

    // Records in capture order; a partial record at the end is kept for the next feed.
    void feed(std::span<const std::uint8_t> bytes);
    // Result writer: the number the next transaction is shown with, and its addressing mode
    // (from the filter, which saw it in the whole buffer).
    void nextTransaction(std::uint32_t number, bool fourByteMode);
    // Characters written since the last writeHeader().
    std::uint64_t written() const { return written_ + pending_.size(); }
    // Flushes what is buffered to the sink (call before closing a file).
    void flush();

private:
    void record(RecordView record);
    void timestamp(RecordView record);
    void command(RecordView record);
    void continuation(RecordView record);
    void separator();
    void dataByte(std::uint8_t value, bool lowerCase);
    void undecodedBytes(std::span<const std::uint8_t> raw);
    void put(std::string_view text);

    WriterKind kind_;
    const DecodeContext& context_;
    const WriterLayout& layout_;
    TextSink* sink_;
    std::string pending_;
    std::uint64_t written_ = 0;
    RecordBytes partial_{};
    std::size_t partialLength_ = 0;

    SequenceTracker sequence_;
    AddressModeTracker mode_;
    IoDecoder io_;
    std::vector<std::uint8_t> decodedScratch_;
    bool firstLine_ = true;
    bool afterTimestamp_ = false;  // no numbered record since the last timestamp record
    bool inCommand_ = false;       // a command was laid out and continuation bytes may follow
    bool undecoded_ = false;
    std::uint8_t opcode_ = 0;
    std::uint32_t dummyLeft_ = 0;
    UndecodedBytes undecodedRoles_{0, 0};
    std::size_t lineBytes_ = 0;    // data bytes on the current line
    bool needsSpace_ = false;      // the field so far ends with a byte, not a blank
    std::uint64_t transactions_ = 0;
    std::uint32_t nextNumber_ = 0;
    bool nextNumberSet_ = false;
};

// The whole buffer as the full-trace text.
void writeFullTrace(std::span<const std::uint8_t> records, const DecodeContext& context, TextSink& sink);
// A filter's result as the result text.
void writeResult(const FilteredTrace& result, const DecodeContext& context, TextSink& sink);

}  // namespace zel::trace
