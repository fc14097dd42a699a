// Trace decoding on a full capture buffer: 16 M records (128 MiB) of a realistic mix (reads with
// and without dummy bytes, page programs, status polls, erases, mode switches, quad reads).
// Targets: index < 1 s; any 128-record page after indexing < 1 ms; full-trace writer >= 100 MB/s
// of text; filter over the whole buffer < 0.5 s.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <vector>

#include "trace/DisplayRows.h"
#include "trace/TraceFilter.h"
#include "trace/TraceTextWriter.h"
#include "trace/TransactionIndex.h"

namespace {

using namespace zel::trace;

constexpr std::size_t kRecords = std::size_t{16} << 20;

class CaptureBuilder {
public:
    explicit CaptureBuilder(std::size_t records) { bytes_.reserve(records * kRecordSize); }

    bool full(std::size_t limit) const { return bytes_.size() / kRecordSize + 48 > limit; }

    void transaction(std::span<const std::uint8_t> bus) {
        ticks_ += 37 + bus.size() * 8;
        RecordBytes stamp{0xFF, 0xFF};
        for (int i = 0; i < 6; ++i) stamp[static_cast<std::size_t>(2 + i)] = static_cast<std::uint8_t>(ticks_ >> (40 - 8 * i));
        append(stamp);
        sequence_ = static_cast<std::uint8_t>(sequence_ >= 254 ? 1 : sequence_ + 1);
        std::size_t at = 0;
        for (unsigned fragment = 0; at < bus.size(); fragment = (fragment + 1) % 4) {
            const std::size_t n = std::min<std::size_t>(6, bus.size() - at);
            RecordBytes r{sequence_, static_cast<std::uint8_t>(fragment << 6 | n * 8)};
            std::copy_n(bus.begin() + static_cast<std::ptrdiff_t>(at), n, r.begin() + 2);
            append(r);
            at += n;
        }
    }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }

private:
    void append(const RecordBytes& r) { bytes_.insert(bytes_.end(), r.begin(), r.end()); }
    std::vector<std::uint8_t> bytes_;
    std::uint64_t ticks_ = 0;
    std::uint8_t sequence_ = 0;
};

const std::vector<std::uint8_t>& capture() {
    static const std::vector<std::uint8_t> records = [] {
        CaptureBuilder builder(kRecords);
        std::mt19937 random(7);
        std::vector<std::uint8_t> bus;
        while (!builder.full(kRecords)) {
            bus.clear();
            const unsigned pick = random() % 100;
            const std::uint32_t address = random() & 0x1FFFFFF;
            auto withAddress = [&](std::uint8_t op, unsigned width) {
                bus.push_back(op);
                for (unsigned i = width; i-- > 0;) bus.push_back(static_cast<std::uint8_t>(address >> (8 * i)));
            };
            if (pick < 40) withAddress(0x03, 3), bus.resize(bus.size() + 4 + random() % 60, 0xA5);
            else if (pick < 60) withAddress(0x0B, 3), bus.resize(bus.size() + 1 + random() % 64, 0x5A);
            else if (pick < 70) withAddress(0x02, 3), bus.resize(bus.size() + 256, 0x3C);
            else if (pick < 85) bus = {0x05, 0x00};
            else if (pick < 90) bus = {0x06};
            else if (pick < 93) withAddress(0x20, 3);
            else if (pick < 95) withAddress(0x13, 4), bus.resize(bus.size() + 32, 0x11);
            else if (pick < 98) withAddress(0xEB, 3), bus.resize(bus.size() + 3 + 32, 0x22);
            else bus = {static_cast<std::uint8_t>(pick % 2 ? 0xB7 : 0xE9)};
            builder.transaction(bus);
        }
        auto bytes = builder.take();
        bytes.resize(kRecords * kRecordSize, 0);  // the rest of the buffer: empty records
        return bytes;
    }();
    return records;
}

struct Tables {
    CommandTable commands;
    CommandIoTable io;
    Tables() {
        // The tables are copied beside the programs at configure time.
        std::error_code error;
        const auto folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
        commands = CommandTable::load(folder / kCommandTableFile, error).value_or(CommandTable{});
        io = CommandIoTable::load(folder / kCommandIoTableFile, error).value_or(CommandIoTable{});
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

ChipFacts chip() {
    ChipFacts c;
    c.size = 0x2000000;
    return c;
}

const TransactionIndex& index() {
    static const TransactionIndex i = TransactionIndex::build(capture(), chip());
    return i;
}

class CountingSink final : public TextSink {
public:
    void write(std::string_view text) override { bytes += text.size(); }
    std::size_t bytes = 0;
};

void BM_IndexBuild(benchmark::State& state) {
    const auto& records = capture();
    for (auto _ : state) {
        auto built = TransactionIndex::build(records, chip());
        benchmark::DoNotOptimize(built.transactionCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * records.size()));
}
BENCHMARK(BM_IndexBuild)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PageAnywhere(benchmark::State& state) {
    const auto& records = capture();
    const DecodeContext context{tables().commands, tables().io, EmulatorModel::FirstGeneration, chip(), state.range(0) != 0};
    const DisplayPass pass(records, index(), context);
    std::mt19937_64 random(3);
    std::size_t rows = 0;
    for (auto _ : state) {
        const std::size_t first = random() % (kRecords - 64);
        pass.forEachRow(first, 128, [&rows](const TraceRow&) { ++rows; });
    }
    benchmark::DoNotOptimize(rows);
}
BENCHMARK(BM_PageAnywhere)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_FullTraceWriter(benchmark::State& state) {
    const auto& records = capture();
    const DecodeContext context{tables().commands, tables().io, EmulatorModel::FirstGeneration, chip(), state.range(0) != 0};
    std::size_t text = 0;
    for (auto _ : state) {
        CountingSink sink;
        writeFullTrace(records, context, sink);
        text += sink.bytes;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(text));  // bytes of text written
    state.counters["text_MiB"] = static_cast<double>(text) / state.iterations() / (1 << 20);
}
BENCHMARK(BM_FullTraceWriter)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Filter(benchmark::State& state) {
    const auto& records = capture();
    const DecodeContext context{tables().commands, tables().io, EmulatorModel::FirstGeneration, chip(), false};
    FilterSettings filter;
    filter.conditions = 1 << 4 | 1 << 6 | 1 << 10;  // Normal Read, Page Program, Read ID
    filter.start = 0x100000;
    filter.end = 0x180000;
    filter.specialCommand = 0xEB;
    filter.maskAddresses = true;
    std::size_t kept = 0;
    for (auto _ : state) kept = filterTrace(records, index(), context, filter).numbers.size();
    state.counters["kept"] = static_cast<double>(kept);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * records.size()));
}
BENCHMARK(BM_Filter)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
