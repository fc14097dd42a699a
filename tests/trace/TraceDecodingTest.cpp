// Records, sequence rules, the I/O decoder, the transaction index, the list view's rows and the
// filter: the behaviour every view of a trace relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "TraceFixture.h"
#include "trace/DisplayRows.h"
#include "trace/IoDecoder.h"
#include "trace/TraceFilter.h"
#include "trace/TransactionIndex.h"

namespace zel::trace::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

RecordBytes record(std::uint8_t b0, std::uint8_t b1, std::initializer_list<std::uint8_t> payload = {}) {
    RecordBytes r{b0, b1};
    std::size_t i = 2;
    for (auto b : payload) r[i++] = b;
    return r;
}

// A small trace built record by record.
struct TraceBuilder {
    Bytes bytes;
    std::uint8_t sequence = 0;
    TraceBuilder& add(const RecordBytes& r) {
        bytes.insert(bytes.end(), r.begin(), r.end());
        return *this;
    }
    TraceBuilder& stamp(std::uint64_t ticks) {
        RecordBytes r{0xFF, 0xFF};
        for (int i = 0; i < 6; ++i) r[static_cast<std::size_t>(2 + i)] = static_cast<std::uint8_t>(ticks >> (40 - 8 * i));
        return add(r);
    }
    TraceBuilder& command(std::initializer_list<std::uint8_t> payload) {
        sequence = static_cast<std::uint8_t>(sequence >= 254 ? 1 : sequence + 1);
        return add(record(sequence, static_cast<std::uint8_t>(payload.size() * 8), payload));
    }
    TraceBuilder& transaction(std::initializer_list<std::uint8_t> payload) { return stamp(1).command(payload); }
};

TEST(TraceRecords, ValidBitsGiveTheByteCountAndNeverMoreThanSixBytes) {
    const std::pair<std::uint8_t, std::size_t> cases[] = {{0, 0}, {1, 1}, {8, 1}, {9, 2}, {40, 5},
                                                          {48, 6}, {49, 6}, {63, 6}};
    for (auto [bits, bytes] : cases) {
        const auto r = record(1, static_cast<std::uint8_t>(0xC0 | bits));
        EXPECT_EQ(RecordView(r).payloadLength(), bytes) << int(bits);
        EXPECT_EQ(RecordView(r).fragment(), 3);
    }
    EXPECT_EQ(formatTimestamp(0x100000005ULL), "42.94967301");
    EXPECT_EQ(formatTimestamp(0xFFFFFFFFFFFFULL), "2814749.76710655");
    EXPECT_EQ(formatTimestamp(7), "0.00000007");
}

TEST(TraceRecords, SequenceTrackerFollowsTheWrapAndFlagsEveryKindOfBreak) {
    SequenceTracker t;
    EXPECT_EQ(t.classify(RecordView(record(200, 0x08))), RecordRole::Command);  // anything starts a stream
    EXPECT_EQ(t.classify(RecordView(record(200, 0x48))), RecordRole::Continuation);
    EXPECT_EQ(t.classify(RecordView(record(200, 0x88))), RecordRole::Continuation);
    EXPECT_EQ(t.classify(RecordView(record(200, 0xC8))), RecordRole::Continuation);
    EXPECT_EQ(t.classify(RecordView(record(200, 0x08))), RecordRole::Continuation);  // fragments count modulo 4
    EXPECT_EQ(t.classify(RecordView(record(0xFF, 0xFF))), RecordRole::Timestamp);
    EXPECT_EQ(t.classify(RecordView(record(0, 0))), RecordRole::Skip);
    EXPECT_EQ(t.classify(RecordView(record(201, 0x48))), RecordRole::Broken);  // a new number needs fragment 0
    EXPECT_EQ(t.classify(RecordView(record(201, 0xC8))), RecordRole::Broken);  // fragment skipped
    EXPECT_EQ(t.classify(RecordView(record(203, 0x08))), RecordRole::Broken);  // number skipped

    SequenceTracker wrap;
    wrap.classify(RecordView(record(254, 0x08)));
    EXPECT_EQ(wrap.classify(RecordView(record(1, 0x08))), RecordRole::Command);
    wrap.classify(RecordView(record(254, 0x08)));
    EXPECT_EQ(wrap.classify(RecordView(record(2, 0x08))), RecordRole::Broken);
    wrap.reset();
    EXPECT_EQ(wrap.classify(RecordView(record(77, 0x08))), RecordRole::Command);
}

TEST(IoDecoder, EachModeTakesItsLinesAndCarriesPartialBytes) {
    IoDecoder quad;
    Bytes out;
    quad.feed(Bytes{0x5A, 0xA5}, 4, out);
    EXPECT_EQ(out, (Bytes{0x5A, 0xA5}));

    // Dual: IO1 and IO0 of each clock; 0x21 = clocks (IO1 IO0) 10, 01; 0x12 = 01, 10.
    IoDecoder dual;
    out.clear();
    dual.feed(Bytes{0x21}, 2, out);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(dual.carried(), 1u);
    dual.feed(Bytes{0x12, 0xCC}, 1, out);  // 0xCC waits for its second half
    EXPECT_EQ(out, (Bytes{0x96}));
    EXPECT_EQ(dual.carried(), 1u);

    // IO0 only: bit 4 and bit 0 of each raw byte; 0x10 0x01 0x11 0x00 = 10 01 11 00.
    IoDecoder single;
    out.clear();
    single.feed(Bytes{0x10, 0x01, 0x11}, 0, out);
    single.feed(Bytes{0x00}, 7, out);
    EXPECT_EQ(out, (Bytes{0x9C}));
    single.feed(Bytes{0x11}, 0, out);
    single.reset();
    single.feed(Bytes{0x11, 0x11, 0x11, 0x11}, 0, out);
    EXPECT_EQ(out, (Bytes{0x9C, 0xFF}));
}

TEST(TransactionIndex, ModeComesOnlyFromTheSwitchCommandsAndThePowerUpMode) {
    const auto capture = goldenCapture();
    const auto index = TransactionIndex::build(capture.records, capture.info.chip);
    ASSERT_EQ(index.transactionCount(), 17u);
    const std::vector<bool> expected = {false, false, false, false, false, false, false,
                                        false /* 0x13 by itself */, false /* B7 */, true, true,
                                        true /* E9 itself */, false, false, false, false, false};
    for (std::size_t n = 1; n <= 17; ++n) EXPECT_EQ(index.fourByteMode(n), expected[n - 1]) << n;
    EXPECT_EQ(index.transactionAt(0), 1u);
    EXPECT_EQ(index.transactionAt(index.timestampRecord(5) + 2), 5u);

    ChipFacts fixed = capture.info.chip;
    fixed.fixedAddressing = true;
    EXPECT_FALSE(TransactionIndex::build(capture.records, fixed).fourByteMode(10));
    ChipFacts fourByte = capture.info.chip;
    fourByte.fourByteAtPowerUp = true;
    const auto fromFour = TransactionIndex::build(capture.records, fourByte);
    EXPECT_TRUE(fromFour.fourByteMode(1));
    EXPECT_FALSE(fromFour.fourByteMode(13));
}

TEST(DisplayPass, APageLooksTheSameWhereverTheViewerCameFrom) {
    const auto capture = goldenCapture();
    const auto index = TransactionIndex::build(capture.records, capture.info.chip);
    const auto context = contextFor(capture.info.chip, false);
    const DisplayPass pass(capture.records, index, context);
    const auto all = pass.rows(0, SIZE_MAX);
    // Starting inside transaction 10 steps back to its timestamp and decodes it in 4-byte mode
    // without having seen the 0xB7 of transaction 9.
    const auto page = pass.rows(index.timestampRecord(10) + 1, 128);
    ASSERT_FALSE(page.empty());
    EXPECT_EQ(page[0].count, "10");
    EXPECT_EQ(page[0].command, "03");
    EXPECT_EQ(page[0].address, "00 00 20 00");
    EXPECT_EQ(page[0].data, "55 66 77 ");
    auto same = std::find_if(all.begin(), all.end(), [](const TraceRow& r) { return r.count == "10"; });
    ASSERT_NE(same, all.end());
    for (std::size_t i = 0; i < page.size(); ++i, ++same) {
        ASSERT_NE(same, all.end());
        EXPECT_EQ(page[i].data, same->data) << i;
        EXPECT_EQ(page[i].address, same->address) << i;
    }

    // The undecoded quad read: address from the decoded bytes, dummy bytes dropped.
    const auto quad = pass.rows(index.timestampRecord(14), 4);
    EXPECT_EQ(quad[0].command, "eb");
    EXPECT_EQ(quad[0].address, "00 12 34 ");
    EXPECT_EQ(quad[0].data, "5a a5 c3 3c 01 ");
    const auto separator = pass.rows(index.timestampRecord(15), 2);
    ASSERT_EQ(separator.size(), 2u);
    EXPECT_EQ(separator[1].kind, TraceRow::Kind::Separator);
    EXPECT_EQ(separator[1].data, "06 \n");
    const auto wrapped = pass.rows(index.timestampRecord(6), 5);
    ASSERT_EQ(wrapped.size(), 2u);
    EXPECT_EQ(wrapped[1].kind, TraceRow::Kind::DataLine);
    EXPECT_EQ(wrapped[1].data, "10 ");
    const auto named = DisplayPass(capture.records, index, contextFor(capture.info.chip, true)).rows(0, 2);
    EXPECT_EQ(named[0].command, "Write Enable");
}

TEST(DisplayPass, NeverReadsPastTheCapturedRecords) {
    const auto capture = goldenCapture();
    const auto index = TransactionIndex::build(capture.records, capture.info.chip);
    // The capture cut in the middle of transaction 6, in a buffer of exactly that size.
    const std::size_t cut = index.timestampRecord(6) + 2;
    const Bytes partial(capture.records.begin(), capture.records.begin() + cut * kRecordSize);
    const auto context = contextFor(capture.info.chip, false);
    const DisplayPass pass(partial, index, context);
    const auto rows = pass.rows(index.timestampRecord(5), SIZE_MAX);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].count, "6");
    EXPECT_EQ(rows[1].data, "");
    EXPECT_TRUE(pass.rows(cut, 128).empty());
    EXPECT_TRUE(pass.rows(SIZE_MAX - 3, SIZE_MAX).empty());
}

FilterSettings normalRead(std::uint32_t start, std::uint32_t end) {
    FilterSettings f;
    f.conditions = 1 << 4;
    f.start = start;
    f.end = end;
    return f;
}

FilteredTrace filter(const Bytes& trace, const FilterSettings& settings, const ChipFacts& chip = {}) {
    const auto index = TransactionIndex::build(trace, chip);
    return filterTrace(trace, index, contextFor(chip, false), settings);
}

TEST(TraceFilter, RangesAreHalfOpenForTheBoxesAndClosedForTheSpecialCommand) {
    TraceBuilder t;
    t.transaction({0x03, 0x00, 0x10, 0x00, 0xAA});  // 1: at start
    t.transaction({0x03, 0x00, 0x20, 0x00, 0xAA});  // 2: at end
    t.transaction({0x03, 0x00, 0x0F, 0xFF, 0xAA});  // 3: below
    t.transaction({0x03, 0x00, 0x10});              // 4: address not whole
    t.transaction({0x06});                          // 5
    EXPECT_EQ(filter(t.bytes, normalRead(0x1000, 0x2000)).numbers, (std::vector<std::uint32_t>{1}));
    FilterSettings special = normalRead(0x1000, 0x2000);
    special.conditions = 0;
    special.specialCommand = 0x03;
    EXPECT_EQ(filter(t.bytes, special).numbers, (std::vector<std::uint32_t>{1, 2}));
    special.specialCommand = 0x06;  // no address, no range to fall outside
    EXPECT_EQ(filter(t.bytes, special).numbers, (std::vector<std::uint32_t>{5}));
    FilterSettings none;
    EXPECT_FALSE(none.active());
    EXPECT_TRUE(filter(t.bytes, none).numbers.empty());
    const auto kept = filter(t.bytes, normalRead(0x1000, 0x2000));
    EXPECT_EQ(kept.records, Bytes(t.bytes.begin(), t.bytes.begin() + 16));
}

TEST(TraceFilter, AMatchWithoutATimestampBeforeItDoesNotCount) {
    TraceBuilder t;
    t.command({0x06});      // offset 0: no record before it
    t.stamp(5).add(record(0, 0)).command({0x06});  // an empty record between: not the first record
    t.transaction({0x06});
    FilterSettings writeEnable;
    writeEnable.conditions = 1;
    const auto result = filter(t.bytes, writeEnable);
    EXPECT_EQ(result.numbers, (std::vector<std::uint32_t>{2}));
}

TEST(TraceFilter, MasksAndFourByteAddressesUseTheWholeAddress) {
    ChipFacts chip;
    chip.size = 0x2000000;
    TraceBuilder t;
    t.transaction({0x03, 0x02, 0x00, 0x10, 0x00});  // 1: 3-byte mode, 0x020010 (byte 6 is data)
    t.transaction({0xB7});
    t.transaction({0x03, 0x02, 0x00, 0x10, 0x00});  // 3: 0x02001000, masked 0x00001000
    t.transaction({0x13, 0x00, 0x00, 0x10, 0x00});  // 4: 4-byte opcode, 0x00001000
    auto settings = normalRead(0x1000, 0x2000);
    EXPECT_TRUE(filter(t.bytes, settings, chip).numbers.empty());
    settings.maskAddresses = true;
    const auto result = filter(t.bytes, settings, chip);
    EXPECT_EQ(result.numbers, (std::vector<std::uint32_t>{3}));
    EXPECT_EQ(result.fourByte, (std::vector<bool>{true}));
}

}  // namespace
}  // namespace zel::trace::test
