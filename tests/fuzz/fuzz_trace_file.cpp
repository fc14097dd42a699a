// Any bytes as a raw trace capture: a file that parses holds whole records, a chip size the
// header rules allow and a count that fits the file; and whatever records it holds, the index,
// the list view's rows, the filter and all three writers decode them without reading past them.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "trace/DisplayRows.h"
#include "trace/TraceFile.h"
#include "trace/TraceFilter.h"
#include "trace/TraceTextWriter.h"
#include "trace/TransactionIndex.h"

using namespace zel::trace;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

// Tables that give every opcode an address, dummy bytes and an I/O mode of its own.
CommandIoTable busyTable() {
    CommandIoTable table;
    for (unsigned op = 0; op < 256; ++op) {
        CommandIo io;
        io.address = op % 7 != 0;
        io.dummy = op % 5;
        io.ioMode = op % 6;
        io.addressBytes = op % 3 == 0 ? 4 : 0;
        if (op % 2) io.description = "name";
        table.set(static_cast<std::uint8_t>(op), io);
    }
    return table;
}

void decodeAll(std::span<const std::uint8_t> records, const ChipFacts& chip, bool g2) {
    static const CommandIoTable io = busyTable();
    CommandTable commands;
    for (unsigned op = 0; op < 256; op += 2) commands.setDecoded(static_cast<std::uint8_t>(op), EmulatorModel::FirstGeneration);
    const auto index = TransactionIndex::build(records, chip);
    require(index.recordCount() == records.size() / kRecordSize);
    for (bool translate : {false, true}) {
        const DecodeContext context{commands, io, g2 ? EmulatorModel::G2 : EmulatorModel::FirstGeneration, chip, translate};
        StringSink sink;
        writeFullTrace(records, context, sink);
        TraceTextWriter continuous(WriterKind::Continuous, context, sink);
        continuous.writeHeader();
        for (std::size_t at = 0; at < records.size(); at += 5) continuous.feed(records.subspan(at, std::min<std::size_t>(5, records.size() - at)));
        continuous.flush();
        FilterSettings filter;
        filter.conditions = kAllConditions;
        filter.specialCommand = records.empty() ? 0 : records[0];
        filter.end = 0xFFFFFFFF;
        const auto result = filterTrace(records, index, context, filter);
        require(result.numbers.size() == result.fourByte.size());
        require(result.records.size() % kRecordSize == 0);
        writeResult(result, context, sink);
        const DisplayPass pass(records, index, context);
        pass.forEachRow(records.size() / 16, 128, [](const TraceRow&) {});
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const auto parsed = parseTraceFile(bytes, "fuzz");
    if (parsed) {
        const auto& capture = parsed.capture();
        require(capture.records.size() % kRecordSize == 0);
        require(capture.records.size() + kTraceFileHeaderSize <= size);
        const auto chipSize = capture.info.chip.size;
        require(chipSize >= kMinChipSize && chipSize <= kMaxChipSize && (chipSize & (chipSize - 1)) == 0);
        decodeAll(capture.records, capture.info.chip, capture.info.model == EmulatorModel::G2);
    }
    // The same bytes as bare records (a partial record at the end included), on a 4-byte chip.
    ChipFacts chip;
    chip.size = 0x4000000;
    chip.fourByteAtPowerUp = size % 2 == 1;
    decodeAll(bytes, chip, size % 3 == 0);
    return 0;
}
