#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ImageTestSupport.h"
#include "image/ImageReader.h"
#include "image/ImageWriter.h"

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

// Nothing folds onto data 4 MiB lower: a file our writer makes of a chip above 4 MiB loads back.
TEST(SRecordReader, DataAboveFourMiBKeepTheirAddresses) {
    auto image = loaded(joinLines({sRecord(3, 0x00000000, {0xA0}), sRecord(3, 0x00400010, {0xB0}),
                                   sRecord(3, 0x01FFFFFE, {0xC0, 0xC1})}));
    ASSERT_EQ(image.size(), 0x2000000u);
    EXPECT_EQ(image[0], 0xA0);
    EXPECT_EQ(image[0x10], 0xFF);
    EXPECT_EQ(image[0x400010], 0xB0);
    EXPECT_EQ(image[0x1FFFFFE], 0xC0);
    EXPECT_EQ(image[0x1FFFFFF], 0xC1);
    EXPECT_EQ(loaded(joinLines({sRecord(3, 0x08001000, {1, 2})})), (Image{1, 2}));

    auto chip = support::randomBytes(0x600000, 17);
    EXPECT_EQ(loaded(sRecordText(chip)), chip);
}

TEST(SRecordReader, LaterRecordsOverwriteEarlierOnes) {
    EXPECT_EQ(loaded(joinLines({kHeader, sRecord(3, 0x10, {1, 2, 3, 4}), sRecord(1, 0x12, {9})})), (Image{1, 2, 9, 4}));
}

TEST(SRecordReader, SpanBeyond256MiBFailsNamingFileLineAndSpan) {
    auto error = failure(joinLines({kHeader, sRecord(3, 0xF0000000, {1}), sRecord(1, 0x0010, {2, 3})}));
    EXPECT_EQ(error.failure, ReadFailure::SpanTooLarge);
    EXPECT_EQ(error.line, 3u);
    EXPECT_THAT(error.message, StartsWith("fw.s19: line 3: "));
    EXPECT_THAT(error.message, HasSubstr("00000010 to F0000000"));
    // 256 MiB and one byte.
    error = failure(joinLines({sRecord(3, 0x1000FFFF, {1}), sRecord(1, 0xFFFF, {2})}));
    EXPECT_EQ(error.failure, ReadFailure::SpanTooLarge);
    EXPECT_THAT(error.message, HasSubstr("0000FFFF to 1000FFFF, 268435457 bytes"));
}

TEST(SRecordReader, RecordEndingOnTheLastAddressIsKeptOneRunningPastItFails) {
    EXPECT_EQ(loaded(joinLines({sRecord(3, 0xFFFFFFF0, Image(16, 0x77))})), Image(16, 0x77));
    auto error = failure(joinLines({sRecord(3, 0x100, {1}), sRecord(3, 0xFFFFFFF0, Image(17, 0x77))}));
    EXPECT_EQ(error.failure, ReadFailure::MalformedRecord);
    EXPECT_EQ(error.line, 2u);
    EXPECT_EQ(error.message, "fw.s19: line 2: data record runs past address FFFFFFFF");
}

TEST(SRecordReader, FilesWithoutDataFailTheLoad) {
    for (const std::string& text : {std::string(), joinLines({kHeader}), joinLines({kHeader, sRecord(5, 0, {}), sRecord(9, 0, {})}),
                                    joinLines({sRecord(1, 0x10, {}), sRecord(7, 0x1000, {})})}) {
        auto error = failure(text);
        EXPECT_EQ(error.failure, ReadFailure::NoData) << text;
        EXPECT_EQ(error.message, "fw.s19: the file holds no data");
        EXPECT_EQ(error.line, 0u);
    }
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
