// The three writers against the hand-made golden texts (golden/make_golden.sh), in both
// translation modes, and the continuous writer fed the way a capture feeds it.
#include <gtest/gtest.h>

#include <vector>

#include "TraceFixture.h"
#include "trace/RingReader.h"
#include "trace/TraceTextWriter.h"
#include "trace/TransactionIndex.h"

namespace zel::trace::test {
namespace {

struct Case {
    bool translate;
    const char* full;
    const char* result;
    const char* continuous;
};
const Case kCases[] = {
    {false, "full_plain.txt", "result_plain.txt", "continuous_plain.txt"},
    {true, "full_translated.txt", "result_translated.txt", "continuous_translated.txt"},
};

FilterSettings goldenFilter() {
    FilterSettings filter;
    filter.conditions = 1 << 0 | 1 << 4 | 1 << 5 | 1 << 6 | 1 << 10;  // 06, 03, 0B, 02, 9F
    filter.start = 0;
    filter.end = 0x20000;
    filter.specialCommand = 0xEB;
    return filter;
}

TEST(TraceWriters, FullTraceMatchesTheGoldenText) {
    const auto capture = goldenCapture();
    for (const auto& c : kCases) {
        StringSink sink;
        writeFullTrace(capture.records, contextFor(capture.info.chip, c.translate), sink);
        EXPECT_EQ(sink.text(), golden(c.full)) << c.full;
    }
}

TEST(TraceWriters, ResultOfTheFilterMatchesTheGoldenText) {
    const auto capture = goldenCapture();
    const auto index = TransactionIndex::build(capture.records, capture.info.chip);
    for (const auto& c : kCases) {
        const auto context = contextFor(capture.info.chip, c.translate);
        const auto result = filterTrace(capture.records, index, context, goldenFilter());
        EXPECT_EQ(result.numbers, (std::vector<std::uint32_t>{1, 5, 6, 7, 10, 11, 13, 14, 15, 17}));
        StringSink sink;
        writeResult(result, context, sink);
        EXPECT_EQ(sink.text(), golden(c.result)) << c.result;
    }
}

TEST(TraceWriters, ContinuousWriterFedInRaggedChunksMatchesTheGoldenText) {
    const auto capture = goldenCapture();
    for (const auto& c : kCases) {
        for (std::size_t chunk : {1u, 3u, 8u, 13u, 64u, 1000u}) {
            const auto context = contextFor(capture.info.chip, c.translate);
            StringSink sink;
            TraceTextWriter writer(WriterKind::Continuous, context, sink);
            writer.writeHeader();
            std::span<const std::uint8_t> rest(capture.records);
            while (!rest.empty()) {
                const auto n = std::min(chunk, rest.size());
                writer.feed(rest.first(n));
                rest = rest.subspan(n);
            }
            writer.flush();
            EXPECT_EQ(sink.text(), golden(c.continuous)) << c.continuous << " in chunks of " << chunk;
        }
    }
}

// The capture buffer as a ring: the records are written from offset 256 on, the fill ends before
// the buffer's end (whatever lies beyond it is stale) and continues at offset 0. The reader
// decodes exactly the filled bytes, in capture order.
TEST(TraceWriters, ContinuousWriterFollowsARingWrapAndNeverDecodesTheStaleTail) {
    const auto capture = goldenCapture();
    const std::size_t size = capture.records.size();
    const std::size_t start = 256, cut = 40 * 8;  // where the capture began, bytes before the wrap
    ASSERT_GT(size, cut);
    std::vector<std::uint8_t> ring(start + cut + 64, 0xFF);     // a stale tail of timestamp-looking bytes
    std::copy_n(capture.records.begin(), cut, ring.begin() + start);
    ring.resize(std::max(ring.size(), size - cut));

    const auto context = contextFor(capture.info.chip, false);
    StringSink sink;
    TraceTextWriter writer(WriterKind::Continuous, context, sink);
    writer.writeHeader();
    RingReader reader;
    reader.consumed(start);  // the read position where this capture began
    auto drain = [&](std::uint32_t writeLength) {
        for (auto piece = reader.next(ring, writeLength); !piece.empty(); piece = reader.next(ring, writeLength)) {
            writer.feed(piece.first(std::min<std::size_t>(piece.size(), 24)));
            reader.consumed(std::min<std::size_t>(piece.size(), 24));
        }
    };
    drain(static_cast<std::uint32_t>(start + cut));
    // The capture wraps: the rest lands at offset 0, over the old bytes there.
    std::copy(capture.records.begin() + cut, capture.records.end(), ring.begin());
    reader.wrapped(static_cast<std::uint32_t>(start + cut));
    drain(static_cast<std::uint32_t>(size - cut));
    EXPECT_FALSE(reader.pendingWrap());
    EXPECT_EQ(reader.position(), size - cut);
    writer.flush();
    EXPECT_EQ(sink.text(), golden("continuous_plain.txt"));
}

// A new file after a roll-over starts with the header again and its first line without a line
// break; the writer counts the characters of the current file.
TEST(TraceWriters, ContinuousWriterStartsEachNewFileWithItsHeader) {
    const auto capture = goldenCapture();
    const auto context = contextFor(capture.info.chip, false);
    StringSink first, second;
    TraceTextWriter writer(WriterKind::Continuous, context, first);
    writer.writeHeader();
    writer.feed(std::span(capture.records).first(2 * kRecordSize));  // T1
    writer.flush();
    EXPECT_EQ(writer.written(), first.text().size());
    writer.switchSink(second);
    writer.writeHeader();
    writer.feed(std::span(capture.records).subspan(2 * kRecordSize, 2 * kRecordSize));  // T2
    writer.flush();
    const std::string expectedFirst = golden("continuous_plain.txt").substr(0, first.text().size());
    EXPECT_EQ(first.text(), expectedFirst);
    EXPECT_EQ(second.text(), std::string("TIMESTAMP(s)    CNT      CMD ADDRESS    DATA\n") + std::string(87, '=') +
                                 "\n0.00000250       2        05            40");
    EXPECT_EQ(writer.written(), second.text().size());
}

}  // namespace
}  // namespace zel::trace::test
