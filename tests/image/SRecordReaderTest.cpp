#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ImageTestSupport.h"
#include "image/ImageReader.h"

namespace zel::image {
namespace {

using namespace ::testing;
using namespace support;

Image loaded(const std::string& text) {
    auto result = parseSRecord(text, "fw.s19");
    EXPECT_TRUE(result) << result.error().message;
    return result ? result.image() : Image{};
}

ReadError failure(const std::string& text) {
    auto result = parseSRecord(text, "fw.s19");
    EXPECT_FALSE(result);
    return result ? ReadError{} : result.error();
}

const std::string kHeader = sRecord(0, 0, {'f', 'w'});

TEST(SRecordReader, S1S2S3CarryDataAndTheOtherTypesNothing) {
    auto image = loaded(joinLines({kHeader, sRecord(1, 0x0010, {1, 2}), sRecord(2, 0x000014, {3}),
                                   sRecord(3, 0x00000016, {4, 5}), sRecord(5, 3, {}), sRecord(6, 3, {}),
                                   sRecord(7, 0x10, {}), sRecord(8, 0x10, {}), sRecord(9, 0x10, {})}));
    EXPECT_EQ(image, (Image{1, 2, 0xFF, 0xFF, 3, 0xFF, 4, 5}));
}

TEST(SRecordReader, AddressesFoldIntoTheFourMiBWindow) {
    // 0x00400010 lands at window index 0x10.
    auto image = loaded(joinLines({sRecord(3, 0x00000000, {0xA0}), sRecord(3, 0x00400010, {0xB0})}));
    ASSERT_EQ(image.size(), 0x11u);
    EXPECT_EQ(image[0], 0xA0);
    EXPECT_EQ(image[0x10], 0xB0);
    EXPECT_EQ(loaded(joinLines({sRecord(3, 0x08001000, {1, 2})})), (Image{1, 2}));
}

TEST(SRecordReader, DataCollidingAfterTheFoldFailTheLoad) {
    auto error = failure(joinLines({kHeader, sRecord(3, 0x00000010, {1, 2, 3, 4}), sRecord(3, 0x00400012, {9})}));
    EXPECT_EQ(error.failure, ReadFailure::OverlappingData);
    EXPECT_EQ(error.line, 3u);
    EXPECT_THAT(error.message, StartsWith("fw.s19: line 3: "));
    EXPECT_THAT(error.message, HasSubstr("00400012"));
    // Neighbouring records that do not share a byte are fine.
    EXPECT_EQ(loaded(joinLines({sRecord(3, 0x10, {1, 2}), sRecord(3, 0x400012, {3})})), (Image{1, 2, 3}));
}

TEST(SRecordReader, RecordEndingOnTheWindowsLastByteIsKeptOneBeyondIsSkipped) {
    auto kept = loaded(joinLines({sRecord(3, 0x3FFFF0, Image(16, 0x77))}));
    EXPECT_EQ(kept, Image(16, 0x77));
    auto skipped = loaded(joinLines({sRecord(3, 0x3FFFF0, Image(17, 0x77)), sRecord(3, 0x100, {1})}));
    EXPECT_EQ(skipped, Image{1});
}

TEST(SRecordReader, LongRecordsAndLineEndsAreAccepted) {
    auto bytes = support::randomBytes(250, 11);
    std::string record = sRecord(3, 0x2000, bytes);
    ASSERT_EQ(record.size(), 4u + 2 * 255);
    EXPECT_EQ(loaded(joinLines({kHeader, record}, "\r\n")), bytes);
    EXPECT_EQ(loaded(record), bytes);
}

TEST(SRecordReader, BadChecksumFailsNamingTheLine) {
    std::string bad = sRecord(1, 0x0100, {1, 2, 3});
    bad.back() = bad.back() == '0' ? '1' : '0';
    auto error = failure(joinLines({kHeader, bad}));
    EXPECT_EQ(error.failure, ReadFailure::BadChecksum);
    EXPECT_EQ(error.line, 2u);
    EXPECT_THAT(error.message, StartsWith("fw.s19: line 2: "));
    // Header and termination records are checked as well.
    std::string badHeader = kHeader;
    badHeader.back() = badHeader.back() == '0' ? '1' : '0';
    EXPECT_EQ(failure(joinLines({badHeader})).failure, ReadFailure::BadChecksum);
}

struct MalformedLine {
    const char* name;
    std::string line;
};

class SRecordMalformed : public ::testing::TestWithParam<MalformedLine> {};

TEST_P(SRecordMalformed, FailsTheLoadAtItsLine) {
    auto error = failure(joinLines({kHeader, sRecord(1, 0, {1}), GetParam().line, sRecord(9, 0, {})}));
    EXPECT_EQ(error.failure, ReadFailure::MalformedRecord);
    EXPECT_EQ(error.line, 3u);
    EXPECT_THAT(error.message, StartsWith("fw.s19: line 3: "));
}

INSTANTIATE_TEST_SUITE_P(
    Records, SRecordMalformed,
    ::testing::Values(MalformedLine{"Blank", ""}, MalformedLine{"NoMark", sRecord(1, 0, {1}).substr(1)},
                      MalformedLine{"LowerCaseMark", "s" + sRecord(1, 0, {1}).substr(1)},
                      MalformedLine{"TypeLetter", "SA" + sRecord(1, 0, {1}).substr(2)},
                      MalformedLine{"TypeMissing", "S"},
                      MalformedLine{"NonHexDigit", "S1040000XXFB"},
                      MalformedLine{"CountLongerThanLine", "S105000001F9"},
                      MalformedLine{"CountShorterThanLine", "S1030000FC00"},
                      // S1 with count 2: address without checksum, a data count of -1.
                      MalformedLine{"NegativeDataCount", "S1020000"},
                      MalformedLine{"S3WithoutFullAddress", "S30400000000"},
                      MalformedLine{"TrailingTab", sRecord(1, 0, {1}) + "\t"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SRecordReader, FileErrorsNameTheFile) {
    support::ScratchFolder folder;
    auto missing = readSRecord(folder / "missing.s19");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().failure, ReadFailure::CannotOpen);
    EXPECT_THAT(missing.error().message, HasSubstr("missing.s19"));

    writeFile(folder / "ok.S19", joinLines({kHeader, sRecord(2, 0x123456, {5, 6})}, "\r\n"));
    auto result = readImage(folder.path().wstring() + L"/ok.S19");
    ASSERT_TRUE(result) << result.error().message;
    EXPECT_EQ(result.image(), (Image{5, 6}));
}

}  // namespace
}  // namespace zel::image
