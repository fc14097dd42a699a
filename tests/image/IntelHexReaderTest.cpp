#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "ImageTestSupport.h"
#include "image/ImageReader.h"

namespace zel::image {
namespace {

using namespace ::testing;
using namespace support;

// Parses text, collecting skip notices instead of printing them.
struct HexLoad {
    ReadResult result;
    std::string notices;
};

HexLoad load(const std::string& text) {
    std::string notices;
    auto result = parseIntelHex(text, "fw.hex", [&](std::string_view notice) { notices += notice; });
    return {std::move(result), std::move(notices)};
}

Image loaded(const std::string& text) {
    auto outcome = load(text);
    EXPECT_TRUE(outcome.result) << outcome.result.error().message;
    return outcome.result ? outcome.result.image() : Image{};
}

ReadError failure(const std::string& text) {
    auto outcome = load(text);
    EXPECT_FALSE(outcome.result);
    return outcome.result ? ReadError{} : outcome.result.error();
}

TEST(IntelHexReader, ImageRunsFromLowestToHighestWithGapsAsFF) {
    auto image = loaded(joinLines({hexRecord(0, 0x0104, {1, 2}), hexRecord(0, 0x0100, {9}), kHexEnd}));
    EXPECT_EQ(image, (Image{9, 0xFF, 0xFF, 0xFF, 1, 2}));
}

TEST(IntelHexReader, OneByteRecordGivesOneByteImage) {
    EXPECT_EQ(loaded(joinLines({hexRecord(0, 0x1234, {0x5A}), kHexEnd})), Image{0x5A});
}

TEST(IntelHexReader, DataOfSecondBlockStartAtIndexZero) {
    std::vector<std::string> lines = {hexLinear(1)};
    auto bytes = support::randomBytes(0x10000, 3);
    for (size_t offset = 0; offset < bytes.size(); offset += 32)
        lines.push_back(hexRecord(0, static_cast<uint16_t>(offset), {bytes.begin() + offset, bytes.begin() + offset + 32}));
    lines.push_back(kHexEnd);
    EXPECT_EQ(loaded(joinLines(lines)), bytes);
}

TEST(IntelHexReader, FilesWithoutDataFailTheLoad) {
    for (const std::string& text : {std::string(), joinLines({kHexEnd}), joinLines({hexLinear(2), kHexEnd}),
                                    joinLines({hexRecord(3, 0, {0, 0, 0x12, 0x34}), hexRecord(0x22, 0, {1})})}) {
        auto error = failure(text);
        EXPECT_EQ(error.failure, ReadFailure::NoData) << text;
        EXPECT_EQ(error.message, "fw.hex: the file holds no data");
        EXPECT_EQ(error.line, 0u);
    }
}

// The whole upper linear address counts: nothing folds onto data 16 MiB (or 256 MiB) lower.
TEST(IntelHexReader, DataAboveSixteenMiBKeepTheirAddresses) {
    auto high = loaded(joinLines({hexLinear(0x1000), hexRecord(0, 0x0000, {0xA1, 0xA2}), hexLinear(0x1100),
                                  hexRecord(0, 0x0010, {0xB1}), kHexEnd}));
    ASSERT_EQ(high.size(), 0x1000011u);
    EXPECT_EQ(high[0], 0xA1);
    EXPECT_EQ(high[1], 0xA2);
    EXPECT_EQ(high[0x1000010], 0xB1);
    EXPECT_EQ(std::count(high.begin(), high.end(), 0xFF), 0x1000011 - 3);

    auto fromZero = loaded(joinLines({hexRecord(0, 0x0000, {0xAA, 0xAB}), hexLinear(0x0200),
                                      hexRecord(0, 0x0002, {0xBB, 0xBC, 0xBD}), kHexEnd}));
    ASSERT_EQ(fromZero.size(), 0x2000005u);
    EXPECT_EQ(fromZero[0], 0xAA);
    EXPECT_EQ(fromZero[1], 0xAB);
    EXPECT_EQ(fromZero[2], 0xFF);
    EXPECT_EQ(fromZero[0x2000001], 0xFF);
    EXPECT_EQ(std::vector<uint8_t>(fromZero.end() - 3, fromZero.end()), (std::vector<uint8_t>{0xBB, 0xBC, 0xBD}));
}

TEST(IntelHexReader, SpanBeyond256MiBFailsNamingFileLineAndSpan) {
    // One byte at 0 and one at FFFFFFF0: refused without storage for 4 GiB.
    auto error = failure(joinLines({hexRecord(0, 0, {1}), hexLinear(0xFFFF), hexRecord(0, 0xFFF0, {2}), kHexEnd}));
    EXPECT_EQ(error.failure, ReadFailure::SpanTooLarge);
    EXPECT_EQ(error.line, 3u);
    EXPECT_THAT(error.message, StartsWith("fw.hex: line 3: "));
    EXPECT_THAT(error.message, HasSubstr("00000000 to FFFFFFF0, 4294967281 bytes"));
    // One byte beyond 256 MiB, the other way round.
    error = failure(joinLines({hexLinear(0x1000), hexRecord(0, 0, {1}), hexLinear(0), hexRecord(0, 0, {2}), kHexEnd}));
    EXPECT_EQ(error.failure, ReadFailure::SpanTooLarge);
    EXPECT_EQ(error.line, 4u);
    EXPECT_THAT(error.message, HasSubstr("00000000 to 10000000, 268435457 bytes"));
}

TEST(IntelHexReader, SegmentAddressIsSegmentTimesSixteenPlusOffset) {
    // 0x1000:0x0010 is 0x10010; 0x1001:0x0005 is 0x10015.
    auto image = loaded(joinLines({hexSegment(0x1000), hexRecord(0, 0x0010, {1, 2, 3}), hexSegment(0x1001),
                                   hexRecord(0, 0x0005, {4}), kHexEnd}));
    EXPECT_EQ(image, (Image{1, 2, 3, 0xFF, 0xFF, 4}));
}

TEST(IntelHexReader, FirstExtendedRecordFixesTheAddressingMode) {
    // Linear first: the segment record is ignored, the data stay in linear block 1.
    auto linear = loaded(joinLines({hexLinear(1), hexRecord(0, 0, {1}), hexSegment(0x2000), hexRecord(0, 1, {2}), kHexEnd}));
    EXPECT_EQ(linear, (Image{1, 2}));
    // Segment first: the linear record is ignored.
    auto segment = loaded(joinLines({hexSegment(0x0100), hexRecord(0, 0, {1}), hexLinear(7), hexRecord(0, 1, {2}), kHexEnd}));
    EXPECT_EQ(segment, (Image{1, 2}));
}

TEST(IntelHexReader, RecordsAfterTheEndRecordStillLoad) {
    auto image = loaded(joinLines({hexRecord(0, 0, {1}), kHexEnd, hexRecord(0, 1, {2})}));
    EXPECT_EQ(image, (Image{1, 2}));
}

TEST(IntelHexReader, OtherRecordTypesCarryNothing) {
    auto image = loaded(joinLines({hexRecord(3, 0, {0, 0, 0x12, 0x34}), hexRecord(5, 0, {0, 0, 0x80, 0}),
                                   hexRecord(0, 0, {7}), hexRecord(0x22, 0, {1, 2, 3}), kHexEnd}));
    EXPECT_EQ(image, Image{7});
}

TEST(IntelHexReader, RecordEndingOnTheLastAddressIsKeptOneRunningPastItFails) {
    auto outcome = load(joinLines({hexLinear(0xFFFF), hexRecord(0, 0xFFF0, Image(16, 0x33)), kHexEnd}));
    ASSERT_TRUE(outcome.result) << outcome.result.error().message;
    EXPECT_EQ(outcome.result.image(), Image(16, 0x33));
    EXPECT_EQ(outcome.notices, "");

    auto error = failure(joinLines({hexRecord(0, 0, {0x22}), hexLinear(0xFFFF), hexRecord(0, 0xFFF0, Image(17, 0x11)), kHexEnd}));
    EXPECT_EQ(error.failure, ReadFailure::MalformedRecord);
    EXPECT_EQ(error.line, 3u);
    EXPECT_EQ(error.message, "fw.hex: line 3: data record runs past address FFFFFFFF");
    // A bad checksum is reported as such, wherever the data would go.
    std::string bad = hexRecord(0, 0xFFF0, Image(17, 0x11));
    bad.back() = bad.back() == '0' ? '1' : '0';
    EXPECT_EQ(failure(joinLines({hexLinear(0xFFFF), bad})).failure, ReadFailure::BadChecksum);
}

TEST(IntelHexReader, LaterRecordsOverwriteEarlierOnes) {
    EXPECT_EQ(loaded(joinLines({hexRecord(0, 0x10, {1, 2, 3, 4}), hexRecord(0, 0x12, {9}), kHexEnd})), (Image{1, 2, 9, 4}));
}

TEST(IntelHexReader, LinesOfAnyLengthAreAccepted) {
    auto bytes = support::randomBytes(255, 5);
    std::string record = hexRecord(0, 0x0100, bytes);
    ASSERT_EQ(record.size(), 521u);
    EXPECT_EQ(loaded(joinLines({record, kHexEnd})), bytes);
}

TEST(IntelHexReader, CrLfAndLfAndMissingLastLineEndReadAlike) {
    std::vector<std::string> lines = {hexLinear(0), hexRecord(0, 0, {1, 2, 3}), hexRecord(0, 8, {4}), kHexEnd};
    auto lf = loaded(joinLines(lines, "\n"));
    EXPECT_EQ(loaded(joinLines(lines, "\r\n")), lf);
    std::string unterminated = joinLines(lines, "\r\n");
    unterminated.resize(unterminated.size() - 2);
    EXPECT_EQ(loaded(unterminated), lf);
    EXPECT_EQ(lf.size(), 9u);
}

TEST(IntelHexReader, LowerCaseDigitsAreAccepted) {
    std::string record = hexRecord(0, 0xABC0, {0xDE, 0xAD});
    for (auto& c : record) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(loaded(joinLines({record})), (Image{0xDE, 0xAD}));
}

TEST(IntelHexReader, BadChecksumFailsNamingTheLine) {
    std::string bad = hexRecord(0, 0x10, {1, 2, 3});
    bad.back() = bad.back() == '0' ? '1' : '0';
    auto error = failure(joinLines({hexLinear(0), hexRecord(0, 0, {9}), bad, kHexEnd}));
    EXPECT_EQ(error.failure, ReadFailure::BadChecksum);
    EXPECT_EQ(error.line, 3u);
    EXPECT_THAT(error.message, StartsWith("fw.hex: line 3: "));
    EXPECT_THAT(error.message, HasSubstr("checksum"));
}

TEST(IntelHexReader, BlankLineFailsNamingTheLine) {
    auto error = failure(joinLines({hexRecord(0, 0, {1}), "", hexRecord(0, 1, {2}), kHexEnd}));
    EXPECT_EQ(error.failure, ReadFailure::MalformedRecord);
    EXPECT_EQ(error.line, 2u);
    EXPECT_THAT(error.message, StartsWith("fw.hex: line 2: blank line"));
    // A blank line at the end, after the end record, fails as well; CRLF lines count alike.
    EXPECT_EQ(failure(joinLines({hexRecord(0, 0, {1}), kHexEnd, ""}, "\r\n")).line, 3u);
}

struct MalformedLine {
    const char* name;
    std::string line;
};

class IntelHexMalformed : public ::testing::TestWithParam<MalformedLine> {};

TEST_P(IntelHexMalformed, FailsTheLoadAtItsLine) {
    auto error = failure(joinLines({hexLinear(0), hexRecord(0, 0, {1, 2}), GetParam().line, kHexEnd}));
    EXPECT_EQ(error.failure, ReadFailure::MalformedRecord);
    EXPECT_EQ(error.line, 3u);
    EXPECT_THAT(error.message, StartsWith("fw.hex: line 3: "));
}

INSTANTIATE_TEST_SUITE_P(
    Records, IntelHexMalformed,
    ::testing::Values(MalformedLine{"NoColon", hexRecord(0, 0, {1}).substr(1)},
                      MalformedLine{"WrongMark", ";" + hexRecord(0, 0, {1}).substr(1)},
                      MalformedLine{"NonHexDigit", ":0100000G01FE"},
                      MalformedLine{"NonHexInCount", ":G100000001FE"},
                      MalformedLine{"CountLongerThanLine", ":0300000001FC"},
                      MalformedLine{"CountShorterThanLine", ":01000000010203FC"},
                      MalformedLine{"TrailingSpace", hexRecord(0, 0, {1}) + " "},
                      MalformedLine{"TooShort", ":000000"},
                      MalformedLine{"ZeroCountDataRecord", hexRecord(0, 0x10, {})},
                      MalformedLine{"LinearRecordWithOneByte", hexRecord(4, 0, {1})},
                      MalformedLine{"SegmentRecordWithThreeBytes", hexRecord(2, 0, {1, 2, 3})},
                      MalformedLine{"EmbeddedCarriageReturn", ":01000\r00001FE"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IntelHexReader, FileErrorsNameTheFile) {
    support::ScratchFolder folder;
    auto missing = readIntelHex(folder / "missing.hex");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().failure, ReadFailure::CannotOpen);
    EXPECT_THAT(missing.error().message, HasSubstr("missing.hex"));

    auto folderRead = readIntelHex(folder.path());
    ASSERT_FALSE(folderRead);
    EXPECT_EQ(folderRead.error().failure, ReadFailure::CannotRead);

    writeFile(folder / "bad.hex", joinLines({hexRecord(0, 0, {1}), "junk"}));
    auto bad = readIntelHex(folder / "bad.hex");
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().message.rfind((folder / "bad.hex").string() + ": line 2: ", 0), 0u) << bad.error().message;
}

TEST(IntelHexReader, WidePathWithNonAsciiNameLoadsByExtension) {
    support::ScratchFolder folder;
    writeFile(folder / "\xc3\xa9t\xc3\xa9.HEX", joinLines({hexRecord(0, 0x20, {1, 2}), kHexEnd}));
    auto result = readImage(folder.path().wstring() + L"/\u00e9t\u00e9.HEX");
    ASSERT_TRUE(result) << result.error().message;
    EXPECT_EQ(result.image(), (Image{1, 2}));
}

}  // namespace
}  // namespace zel::image
