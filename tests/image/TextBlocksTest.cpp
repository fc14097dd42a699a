// Files are read in blocks; lines that straddle block boundaries, lines longer than a block and
// line ends split between blocks must read exactly as the same text in memory does.
#include <gtest/gtest.h>

#include "ImageTestSupport.h"
#include "image/RecordReading.h"

namespace zel::image {
namespace {

using support::hexLinear;
using support::hexRecord;
using support::joinLines;
using support::sRecord;

void expectSameOutcome(const ReadResult& fromFile, const ReadResult& fromMemory, size_t blockSize) {
    ASSERT_EQ(fromFile.ok(), fromMemory.ok()) << "block size " << blockSize;
    if (fromFile.ok()) {
        EXPECT_EQ(fromFile.image(), fromMemory.image()) << "block size " << blockSize;
    } else {
        EXPECT_EQ(fromFile.error().line, fromMemory.error().line) << "block size " << blockSize;
        EXPECT_EQ(fromFile.error().failure, fromMemory.error().failure) << "block size " << blockSize;
    }
}

std::string longHexFile() {
    std::vector<std::string> lines = {hexLinear(3)};
    for (int i = 0; i < 20; ++i) lines.push_back(hexRecord(0, static_cast<uint16_t>(i * 255), support::randomBytes(255, i)));
    lines.push_back(":00000001FF");
    return joinLines(lines, "\r\n");
}

std::string longSRecordFile() {
    std::vector<std::string> lines = {sRecord(0, 0, {'h', 'd', 'r'})};
    for (int i = 0; i < 20; ++i) lines.push_back(sRecord(3, 0x8000u + 250u * i, support::randomBytes(250, i)));
    lines.push_back(sRecord(7, 0, {}));
    return joinLines(lines, "\r\n");
}

// Ends in "\r" without "\n": the last line still loses its carriage return.
std::string endsInCarriageReturn(std::string text) {
    text.pop_back();
    return text;
}

std::string hexTextName(const ::testing::TestParamInfo<std::string>& info) {
    static const char* const kNames[] = {"LongLinesCrlf", "LastLineEndsInCarriageReturn", "ShortLinesLf",
                                         "BlankLineFails", "OnlyALineEnd", "EmptyFails"};
    return kNames[info.index];
}

std::string sRecordTextName(const ::testing::TestParamInfo<std::string>& info) {
    static const char* const kNames[] = {"LongLinesCrlf", "LastLineEndsInCarriageReturn", "OverlapLaterWins"};
    return kNames[info.index];
}

class HexBlockReading : public ::testing::TestWithParam<std::string> {};

TEST_P(HexBlockReading, FileMatchesMemoryForEveryBlockSize) {
    const std::string& text = GetParam();
    support::ScratchFolder folder;
    auto path = folder / "f.hex";
    support::writeFile(path, text);
    auto fromMemory = parseIntelHex(text, displayName(path));
    for (size_t blockSize : {1, 2, 3, 7, 16, 45, 64, 1000})
        expectSameOutcome(detail::readIntelHexBlocks(path, blockSize), fromMemory, blockSize);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HexBlockReading,
    ::testing::Values(longHexFile(), endsInCarriageReturn(longHexFile()),
                      joinLines({hexRecord(0, 0, {1}), hexRecord(0, 1, {2})}, "\n"),
                      joinLines({hexRecord(0, 0, {1}), "", hexRecord(0, 1, {2})}, "\r\n"), std::string("\n"),
                      std::string("")),
    hexTextName);

class SRecordBlockReading : public ::testing::TestWithParam<std::string> {};

TEST_P(SRecordBlockReading, FileMatchesMemoryForEveryBlockSize) {
    const std::string& text = GetParam();
    support::ScratchFolder folder;
    auto path = folder / "f.s19";
    support::writeFile(path, text);
    auto fromMemory = parseSRecord(text, displayName(path));
    for (size_t blockSize : {1, 2, 5, 64, 1000})
        expectSameOutcome(detail::readSRecordBlocks(path, blockSize), fromMemory, blockSize);
}

INSTANTIATE_TEST_SUITE_P(Texts, SRecordBlockReading,
                         ::testing::Values(longSRecordFile(), endsInCarriageReturn(longSRecordFile()),
                                           joinLines({sRecord(1, 0, {1}), sRecord(1, 0, {2})}, "\n")),
                         sRecordTextName);

}  // namespace
}  // namespace zel::image
