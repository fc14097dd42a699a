// Raw capture files: what is written reads back the same, a capture cut short stays readable, and
// every malformed header is refused with a reason.
#include <gtest/gtest.h>

#include <cstring>

#include "TraceFixture.h"

namespace zel::trace::test {
namespace {

using zel::test::TempDir;

TraceFileInfo sampleInfo() {
    TraceFileInfo info;
    info.chip.size = 0x4000000;
    info.chip.fourByteAtPowerUp = true;
    info.model = EmulatorModel::G2;
    info.mode = CaptureMode::Ring;
    return info;
}

std::vector<std::uint8_t> sampleRecords(std::size_t count) {
    std::vector<std::uint8_t> records(count * kRecordSize);
    for (std::size_t i = 0; i < records.size(); ++i) records[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return records;
}

TEST(TraceFile, WhatIsWrittenReadsBackWithItsHeader) {
    TempDir dir;
    const auto records = sampleRecords(5);
    ASSERT_FALSE(writeTraceFile(dir / "a.zeltrace", sampleInfo(), records));
    const auto read = readTraceFile(dir / "a.zeltrace");
    ASSERT_TRUE(read) << read.error().message;
    const auto& capture = read.capture();
    EXPECT_EQ(capture.records, records);
    EXPECT_EQ(capture.info.chip.size, 0x4000000u);
    EXPECT_TRUE(capture.info.chip.fourByteAtPowerUp);
    EXPECT_FALSE(capture.info.chip.fixedAddressing);
    EXPECT_EQ(capture.info.model, EmulatorModel::G2);
    EXPECT_EQ(capture.info.mode, CaptureMode::Ring);
    EXPECT_FALSE(capture.openEnded);
    EXPECT_TRUE(writeTraceFile(dir / "b", sampleInfo(), std::span(records).first(5)).has_value());
}

TEST(TraceFile, AStreamedCaptureIsOpenEndedUntilFinished) {
    TempDir dir;
    std::string message;
    auto writer = TraceFileWriter::create(dir / "s.zeltrace", sampleInfo(), message);
    ASSERT_TRUE(writer) << message;
    const auto records = sampleRecords(4);
    ASSERT_TRUE(writer->append(std::span(records).first(16)));
    ASSERT_TRUE(writer->append(std::span(records).subspan(16)));
    EXPECT_FALSE(writer->append(std::span(records).first(3)));

    // Cut short: the header has no count and a torn last record is dropped, and said so.
    auto torn = zel::test::readBytes(dir / "s.zeltrace");
    torn += "abc";
    const auto cut = parseTraceFile({reinterpret_cast<const std::uint8_t*>(torn.data()), torn.size()}, "cut");
    ASSERT_TRUE(cut) << cut.error().message;
    EXPECT_TRUE(cut.capture().openEnded);
    EXPECT_TRUE(cut.capture().droppedPartialRecord);
    EXPECT_EQ(cut.capture().records.size(), records.size());

    ASSERT_TRUE(writer->finish()) << writer->lastError();
    const auto done = readTraceFile(dir / "s.zeltrace");
    ASSERT_TRUE(done) << done.error().message;
    EXPECT_FALSE(done.capture().openEnded);
    EXPECT_EQ(done.capture().records, records);
}

TEST(TraceFile, MalformedFilesAreRefusedWithTheirReason) {
    const auto good = encodeTraceHeader(sampleInfo(), 1);
    struct Breakage {
        const char* reason;
        std::size_t offset;
        std::uint8_t value;
    };
    const Breakage breakages[] = {
        {"signature", 0, 'z'},        {"version 2", 8, 2},      {"header size 64", 10, 64},
        {"unknown header flags", 13, 0x80}, {"capture mode 2", 14, 2}, {"reserved", 15, 1},
        {"reserved", 21, 1},          {"chip size", 16, 1},     {"chip size", 19, 0},
        {"promises 2 records", 24, 2},
    };
    for (const auto& b : breakages) {
        auto bytes = good;
        bytes.resize(bytes.size() + kRecordSize, 0x11);
        bytes[b.offset] = b.value;
        const auto result = parseTraceFile(bytes, "bad.zeltrace");
        ASSERT_FALSE(result) << b.reason;
        EXPECT_NE(result.error().message.find("bad.zeltrace: "), std::string::npos);
        EXPECT_NE(result.error().message.find(b.reason), std::string::npos) << result.error().message;
    }
    EXPECT_FALSE(parseTraceFile(std::span(good).first(31), "short"));
    auto withTail = good;
    withTail.resize(good.size() + kRecordSize + 1);
    EXPECT_FALSE(parseTraceFile(withTail, "tail"));  // a counted file holds whole records only
    EXPECT_FALSE(readTraceFile("/nonexistent/x.zeltrace"));
}

}  // namespace
}  // namespace zel::trace::test
