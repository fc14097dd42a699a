// The firmware and chip configuration file walkers: every length and offset taken from a file
// is checked against the file, and a file with a bad record is refused whole.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ChipConfigFile.h"
#include "FirmwareFile.h"

namespace zel::zeldev {
namespace {

void putWord(std::vector<uint8_t>& bytes, uint32_t word)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
}

std::vector<uint8_t> firmwareHeader(uint32_t firstRecord = 16)
{
    std::vector<uint8_t> file{'V', 'r', 'n', 'k'};
    putWord(file, 0);
    putWord(file, 0);
    putWord(file, firstRecord);
    return file;
}

void putRecord(std::vector<uint8_t>& file, uint32_t type, uint32_t length, uint8_t fill)
{
    putWord(file, type);
    putWord(file, length);
    file.insert(file.end(), length, fill);
}

TEST(FirmwareFileTest, WalksRecordsAndSkipsUnknownTypes)
{
    auto file = firmwareHeader(20);
    file.insert(file.end(), 4, 0xEE);  // gap before the first record
    putRecord(file, 1, 100, 0x11);
    putRecord(file, 7, 3, 0x77);
    putRecord(file, 2, 70, 0x22);

    const auto parsed = parseFirmwareFile(file);
    ASSERT_EQ(parsed.status, FirmwareFile::Status::Ok);
    ASSERT_EQ(parsed.records.size(), 2u);
    EXPECT_EQ(parsed.records[0].type, FirmwareRecordType::BootImage);
    EXPECT_EQ(parsed.records[0].data.size(), 100u);
    EXPECT_EQ(parsed.records[0].data.front(), 0x11);
    EXPECT_EQ(parsed.records[1].type, FirmwareRecordType::SerialFlashImage);
    EXPECT_EQ(parsed.records[1].data.size(), 70u);
    EXPECT_EQ(parsed.records[1].data.back(), 0x22);
}

TEST(FirmwareFileTest, WithoutMagicIsNotFirmware)
{
    auto file = firmwareHeader();
    file[0] = 'X';
    putRecord(file, 2, 8, 0);
    EXPECT_EQ(parseFirmwareFile(file).status, FirmwareFile::Status::NotFirmware);
    EXPECT_EQ(parseFirmwareFile({}).status, FirmwareFile::Status::NotFirmware);
}

TEST(FirmwareFileTest, RefusesEveryRecordThatLeavesTheFileOrTheDeviceLimits)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
    };
    std::vector<Case> cases;

    cases.push_back({"header cut before the record offset", {'V', 'r', 'n', 'k', 0, 0, 0, 0, 0}});
    cases.push_back({"record offset beyond the end", firmwareHeader(1000)});
    cases.push_back({"record offset inside the header", firmwareHeader(8)});

    auto cutHeader = firmwareHeader();
    putRecord(cutHeader, 2, 4, 0);
    cutHeader.insert(cutHeader.end(), {2, 0, 0, 0, 4});  // type and one byte of the length
    cases.push_back({"record header cut off", cutHeader});

    auto cutBody = firmwareHeader();
    putRecord(cutBody, 2, 64, 0);
    cutBody.pop_back();
    cases.push_back({"record body cut off by one byte", cutBody});

    auto huge = firmwareHeader();
    putWord(huge, 2);
    putWord(huge, 0xFFFFFFF8);  // offset + length would wrap a 32-bit sum
    huge.insert(huge.end(), 16, 0);
    cases.push_back({"length near 4 GiB", huge});

    auto bigBoot = firmwareHeader();
    putRecord(bigBoot, 1, 16 * 1024 + 1, 0);
    cases.push_back({"boot image over 16 KiB", bigBoot});

    auto bigFlash = firmwareHeader();
    putRecord(bigFlash, 2, 2 * 1024 * 1024 + 1, 0);
    cases.push_back({"serial flash image over 2 MiB", bigFlash});

    auto empty = firmwareHeader();
    putRecord(empty, 1, 0, 0);
    cases.push_back({"empty boot image", empty});

    for (const auto& c : cases) {
        const auto parsed = parseFirmwareFile(c.file);
        EXPECT_EQ(parsed.status, FirmwareFile::Status::Malformed) << c.what;
        EXPECT_TRUE(parsed.records.empty()) << c.what;
    }
}

TEST(FirmwareFileTest, AcceptsImagesAtTheirLimits)
{
    auto file = firmwareHeader();
    putRecord(file, 1, 16 * 1024, 0xA5);
    putRecord(file, 2, 2 * 1024 * 1024, 0x5A);
    const auto parsed = parseFirmwareFile(file);
    ASSERT_EQ(parsed.status, FirmwareFile::Status::Ok);
    EXPECT_EQ(parsed.records.size(), 2u);
}

std::vector<uint8_t> chipConfig(uint32_t recordOffset, std::vector<uint8_t> body)
{
    std::vector<uint8_t> file{'V', 'c', 'f', 'g'};
    putWord(file, 0);
    putWord(file, recordOffset);
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

TEST(ChipConfigFileTest, ReadsValueRegisterPairsAndDropsACutOffRecord)
{
    const auto file = chipConfig(14, {0xAA, 0xBB, 0x15, 0x60, 0x01, 0x28, 0x99});
    const auto settings = parseChipConfig(file);
    ASSERT_TRUE(settings);
    const std::vector<RegisterSetting> expected{{0x60, 0x15}, {0x28, 0x01}};
    EXPECT_EQ(*settings, expected);
}

TEST(ChipConfigFileTest, RefusesFilesWhoseHeaderDoesNotFit)
{
    EXPECT_FALSE(parseChipConfig(chipConfig(100, {1, 2, 3, 4})));  // offset beyond the end
    EXPECT_FALSE(parseChipConfig(chipConfig(0xFFFFFFFF, {1, 2})));
    EXPECT_FALSE(parseChipConfig(chipConfig(4, {1, 2})));  // records inside the header
    EXPECT_FALSE(parseChipConfig(std::vector<uint8_t>{'V', 'c', 'f', 'g', 0, 0, 0, 0, 12}));
    auto noMagic = chipConfig(12, {1, 2});
    noMagic[3] = 'x';
    EXPECT_FALSE(parseChipConfig(noMagic));
}

TEST(ChipConfigFileTest, OffsetAtTheEndMeansNoRecords)
{
    const auto settings = parseChipConfig(chipConfig(12, {}));
    ASSERT_TRUE(settings);
    EXPECT_TRUE(settings->empty());
}

}  // namespace
}  // namespace zel::zeldev
