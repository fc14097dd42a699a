// The continuous text's file chain: numbered names before the extension; once a file is full
// the next one starts, with the header and an announcement, at a transaction, so no transaction
// is split between files; a file that cannot be opened is an error line naming it.
#include "ContinuousTextSink.h"
#include "TempDir.h"
#include "trace/TextLayouts.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zel::capture {
namespace {

// `count` transactions: a timestamp record, a Read Data command with a 3-byte address and two
// data bytes, and a continuation record of six more.
std::vector<uint8_t> readTransactions(int count) {
    std::vector<uint8_t> records;
    for (int i = 0; i < count; ++i) {
        const auto seq = static_cast<uint8_t>(i % 254 + 1);
        const auto ticks = static_cast<uint8_t>(i);
        for (uint8_t b : {0xFF, 0xFF, 0, 0, 0, 0, 0, 0}) records.push_back(b);
        records.back() = ticks;
        for (uint8_t b : {seq, uint8_t{48}, uint8_t{0x03}, uint8_t{0x00}, uint8_t{0x10}, uint8_t(i), uint8_t{0xA0}, uint8_t{0xA1}})
            records.push_back(b);
        for (uint8_t b : {seq, uint8_t{1 << 6 | 48}, uint8_t{1}, uint8_t{2}, uint8_t{3}, uint8_t{4}, uint8_t{5}, uint8_t{6}})
            records.push_back(b);
    }
    return records;
}

TEST(ContinuousTextFiles, ContinueInNumberedFilesThatEachStartWithTheHeaderAndATransaction) {
    EXPECT_EQ(rolloverName("/t/trace.txt", 2), "/t/trace_2.txt");
    EXPECT_EQ(rolloverName("/t/trace", 1), "/t/trace_1");
    EXPECT_EQ(rolloverName("/t/a.b.txt", 0), "/t/a.b.txt");

    test::TempDir dir;
    const trace::CommandTable commands;
    const trace::CommandIoTable io;
    const trace::DecodeContext context{commands, io, trace::EmulatorModel::FirstGeneration, trace::ChipFacts{}, false};
    std::vector<std::string> announced;
    ContinuousTextSink sink(context, dir / "trace.txt", [&](const std::string& line) { announced.push_back(line); }, 2000);
    ASSERT_TRUE(sink.open());
    const auto records = readTransactions(300);
    for (size_t at = 0; at < records.size(); at += 8 * 7)  // pieces that cut transactions apart
        ASSERT_TRUE(sink.write(std::span(records).subspan(at, std::min<size_t>(8 * 7, records.size() - at))));
    ASSERT_TRUE(sink.finish());

    const auto& files = sink.paths();
    ASSERT_GE(files.size(), 3u);
    ASSERT_EQ(announced.size(), files.size());
    const std::string header(trace::writerLayout(trace::WriterKind::Continuous).header[0]);
    size_t transactionLines = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files[i], rolloverName(dir / "trace.txt", static_cast<unsigned>(i)));
        EXPECT_EQ(announced[i], "Save SPI Trace data into file: " + files[i].string());
        std::istringstream text(test::readBytes(files[i]));
        std::string line;
        std::getline(text, line);
        EXPECT_EQ(line + "\n", header) << files[i];
        std::getline(text, line);  // the "=" line
        std::getline(text, line);
        EXPECT_TRUE(line.rfind("0.0000", 0) == 0) << files[i] << " starts inside a transaction: " << line;
        ++transactionLines;
        while (std::getline(text, line)) transactionLines += line.rfind("0.0000", 0) == 0;
        if (i + 1 < files.size()) {
            EXPECT_GT(std::filesystem::file_size(files[i]), 2000u);
        }
    }
    EXPECT_EQ(transactionLines, 300u);

    ContinuousTextSink nowhere(context, dir / "missing" / "trace.txt", {});
    EXPECT_FALSE(nowhere.open());
    EXPECT_EQ(nowhere.problem(),
              "Error: cannot open " + (dir / "missing" / "trace.txt").string() + ": No such file or directory");
}

}  // namespace
}  // namespace zel::capture
