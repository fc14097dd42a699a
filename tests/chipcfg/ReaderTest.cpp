#include <gtest/gtest.h>

#include "CfgBytes.h"
#include "TempDir.h"
#include "chipcfg/ChipConfigFile.h"

namespace zel::chipcfg {
namespace {

using test::CfgBytes;
using zel::test::TempDir;
using test::withHeader;

TEST(ChipConfigReader, DecodesHeaderNamesVoltageAndOptions) {
    auto file = withHeader(true, 0x1000000).record(0x1234, 0x0020);
    file.patch32(4, 0xDEADBEEF);

    auto read = readChipConfig(file);
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_TRUE(read->hasMagic());
    EXPECT_EQ(read->header.reserved, 0xDEADBEEFu);
    EXPECT_EQ(read->header.recordOffset, test::kTestRecordOffset);
    EXPECT_EQ(read->chipSize(), 0x1000000u);
    EXPECT_EQ(read->fileSize, file.size());
    EXPECT_TRUE(read->hasRecords());
    EXPECT_FALSE(read->hasSfdp);
    ASSERT_TRUE(read->info.has_value());
    EXPECT_EQ(read->info->vendorAnsi, "Acme");
    EXPECT_EQ(read->info->chipNameAnsi, "X25Q64");
    EXPECT_EQ(read->info->vendor(), L"Acme");
    EXPECT_EQ(read->info->chipName(), L"X25Q64");
    EXPECT_EQ(read->info->voltageMillivolts, 3300);
    EXPECT_EQ(read->info->options, (ChipOptions{true, false, true}));
    EXPECT_FALSE(read->info->vendorTruncated);
    EXPECT_FALSE(read->info->chipNameTruncated);
}

TEST(ChipConfigReader, VoltageIsLittleEndianAndOptionsAreOnOnlyAtExactlyOne) {
    CfgBytes file;
    file.ascii("Vcfg").u32(0).u32(44).u32(0x100000).u32(32).u32(34).u32(36).u32(40);
    file.cstr("V").cstr("C").raw({0x08, 0x07}).fill(2).raw({0x02, 0xFF, 0x01}).fill(1);

    auto read = readChipConfig(file);
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(read->info->voltageMillivolts, 0x0708);
    EXPECT_EQ(read->info->options, (ChipOptions{false, false, true}));
}

TEST(ChipConfigReader, NamesAreWindows1252) {
    CfgBytes file;
    file.ascii("Vcfg").u32(0).u32(48).u32(0x100000).u32(32).u32(38).u32(44).u32(44);
    file.raw({'F', 0xFC, 'r', 0x80, 0x99, 0}).raw({'A', 0xE9, 0x9F, 0x81, 0x20, 0}).u16(1800).raw({0, 0});

    auto read = readChipConfig(file);
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(read->info->vendor(), L"F\u00FCr\u20AC\u2122");
    EXPECT_EQ(read->info->chipName(), L"A\u00E9\u0178\u0081 ");
}

TEST(ChipConfigReader, FileWithoutMagicCarriesNoChipInformation) {
    // Offsets that would fail a file with the magic are not looked at.
    auto file = withHeader(false).record(1, 2);
    file.patch32(16, 0xFFFFFFFF).patch32(24, 0xFFFFFFF0);

    auto read = readChipConfig(file);
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_FALSE(read->hasMagic());
    EXPECT_FALSE(read->info.has_value());
    EXPECT_EQ(read->chipSize(), 0x800000u);
    EXPECT_EQ(read->header.recordOffset, test::kTestRecordOffset);
}

TEST(ChipConfigReader, FileShorterThanItsHeaderIsRefused) {
    auto whole = withHeader();
    for (std::size_t size = 0; size < 32; ++size) {
        auto file = whole;
        file.truncate(size);
        auto read = readChipConfig(file);
        ASSERT_FALSE(read.ok()) << size;
        EXPECT_EQ(read.error().code, ErrorCode::TooShort) << size;
    }
    EXPECT_TRUE(readChipConfig(CfgBytes(whole).truncate(49)).ok());
}

// The file cut at the start of each field and one byte into it: the field that no longer fits
// fails the read and names itself.
TEST(ChipConfigReader, FileCutInsideAHeaderFieldIsRefused) {
    struct Cut {
        std::size_t size;
        const char* field;
    };
    const Cut cuts[] = {
        {32, "vendor name"},  // every field lies behind the header
        {37, "chip name"},    {38, "voltage"}, {44, "voltage"},
        {45, "voltage"},      {46, "options"}, {48, "options"},
    };
    for (auto cut : cuts) {
        auto read = readChipConfig(withHeader().truncate(cut.size));
        ASSERT_FALSE(read.ok()) << cut.size;
        EXPECT_EQ(read.error().code, ErrorCode::FieldOutOfRange) << cut.size;
        EXPECT_NE(read.error().message.find(cut.field), std::string::npos) << cut.size << ": " << read.error().message;
    }
    // Options end the fixed part: a file cut right after them reads.
    EXPECT_TRUE(readChipConfig(withHeader().truncate(49)).ok());
}

TEST(ChipConfigReader, OffsetsPastTheEndAreRefused) {
    const std::pair<std::size_t, std::uint32_t> offsets[] = {
        {16, 49},         {16, 0xFFFFFFFF}, {20, 49}, {20, 0x80000000},
        {24, 48},  // one of its two bytes inside
        {24, 0xFFFFFFFF}, {28, 47},         // two of its three bytes inside
        {28, 0xFFFFFFFE},
    };
    for (auto [field, offset] : offsets) {
        auto file = withHeader();
        file.patch32(field, offset);
        auto read = readChipConfig(file);
        ASSERT_FALSE(read.ok()) << field << " " << offset;
        EXPECT_EQ(read.error().code, ErrorCode::FieldOutOfRange);
    }
}

TEST(ChipConfigReader, RecordOffsetPastTheEndLeavesTheBodyEmpty) {
    for (std::uint32_t offset : {49u, 50u, 4096u, 0xFFFFFFFFu}) {
        auto file = withHeader();
        file.patch32(8, offset);
        auto read = readChipConfig(file);
        ASSERT_TRUE(read.ok()) << offset;
        EXPECT_FALSE(read->hasRecords()) << offset;
    }
    auto cut = withHeader().u16(0x1234).u8(0);  // three bytes: no whole record
    EXPECT_FALSE(readChipConfig(cut)->hasRecords());
}

TEST(ChipConfigReader, StringWithoutTerminatorEndsAtTheEndOfTheFile) {
    // Voltage and options ahead of the names; the chip name runs to the end of the file.
    CfgBytes file;
    file.ascii("Vcfg").u32(0).u32(0xFFFF).u32(0x100000).u32(37).u32(41).u32(32).u32(34);
    file.u16(2500).raw({0, 1, 0}).cstr("Ven").ascii("NoEnd");

    auto read = readChipConfig(file);
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(read->info->vendorAnsi, "Ven");
    EXPECT_EQ(read->info->chipNameAnsi, "NoEnd");
    EXPECT_EQ(read->info->options, (ChipOptions{false, true, false}));

    // A name whose offset is the file's last byte, without a terminator.
    file.patch32(20, static_cast<std::uint32_t>(file.size() - 1));
    EXPECT_EQ(readChipConfig(file)->info->chipNameAnsi, "d");
}

TEST(ChipConfigReader, LongNamesAreCutToTheirLimits) {
    auto build = [](std::size_t vendorLength, std::size_t chipLength) {
        CfgBytes file;
        auto chipOffset = static_cast<std::uint32_t>(32 + vendorLength + 1);
        auto voltageOffset = static_cast<std::uint32_t>(chipOffset + chipLength + 1);
        file.ascii("Vcfg").u32(0).u32(voltageOffset + 5).u32(0x100000).u32(32).u32(chipOffset).u32(voltageOffset).u32(
            voltageOffset + 2);
        file.cstr(std::string(vendorLength, 'v')).cstr(std::string(chipLength, 'c')).u16(1800).raw({0, 0, 0});
        return file;
    };

    auto atLimits = readChipConfig(build(255, 99));
    ASSERT_TRUE(atLimits.ok());
    EXPECT_EQ(atLimits->info->vendorAnsi.size(), 255u);
    EXPECT_EQ(atLimits->info->chipNameAnsi.size(), 99u);
    EXPECT_FALSE(atLimits->info->vendorTruncated);
    EXPECT_FALSE(atLimits->info->chipNameTruncated);

    auto beyond = readChipConfig(build(300, 150));
    ASSERT_TRUE(beyond.ok());
    EXPECT_EQ(beyond->info->vendorAnsi, std::string(255, 'v'));
    EXPECT_EQ(beyond->info->chipNameAnsi, std::string(99, 'c'));
    EXPECT_TRUE(beyond->info->vendorTruncated);
    EXPECT_TRUE(beyond->info->chipNameTruncated);
    EXPECT_EQ(beyond->info->voltageMillivolts, 1800);
}

// "SFDP" marks a table only at offset 180 of a file long enough to hold it.
TEST(ChipConfigReader, SfdpPresenceNeedsTheMarkerAtOffset180) {
    auto fileOf = [](std::size_t size, std::size_t markerAt) {
        auto file = withHeader().padTo(markerAt).sfdp().padTo(size);
        return file.truncate(size);
    };
    struct Case {
        std::size_t size;
        std::size_t markerAt;
        bool hasSfdp;
    };
    const Case cases[] = {
        {176, 172, false},  // too short to be asked
        {180, 176, false},  // ends in "SFDP", but at 176
        {183, 180, false},  // the marker cut by the end
        {184, 180, true},  {185, 180, true}, {400, 180, true},
        {188, 184, false},  // at 184, not 180
        {188, 176, false},
    };
    TempDir dir;
    for (auto c : cases) {
        auto file = fileOf(c.size, c.markerAt);
        ASSERT_EQ(file.size(), c.size);
        EXPECT_EQ(hasSfdpMarker(file), c.hasSfdp) << c.size << " bytes, marker at " << c.markerAt;
        auto read = readChipConfig(file);
        ASSERT_TRUE(read.ok());
        EXPECT_EQ(read->hasSfdp, c.hasSfdp) << c.size << " bytes, marker at " << c.markerAt;

        auto path = dir / ("f" + std::to_string(c.size) + "-" + std::to_string(c.markerAt) + ".cfg");
        file.saveTo(path);
        EXPECT_EQ(fileHasSfdp(path), c.hasSfdp) << path;
    }
    // The marker's last byte just past the end of the file is not looked at, even when the
    // memory behind the file holds it.
    auto whole = fileOf(184, 180);
    std::span<const std::uint8_t> cut(whole.bytes().data(), 183);
    EXPECT_FALSE(hasSfdpMarker(cut));
    EXPECT_FALSE(readChipConfig(cut)->hasSfdp);

    // Presence does not depend on the header: a file without the magic can still have it.
    EXPECT_TRUE(hasSfdpMarker(withHeader(false).padTo(180).sfdp()));
}

TEST(ChipConfigReader, LoadsFilesAndExplainsWhatCannotBeRead) {
    TempDir dir;
    auto good = dir / "good.cfg";
    withHeader().record(1, 2).saveTo(good);
    auto read = readChipConfigFile(good);
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(read->info->chipNameAnsi, "X25Q64");

    auto missing = readChipConfigFile(dir / "missing.cfg");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, ErrorCode::Unreadable);
    EXPECT_NE(missing.error().message.find("missing.cfg"), std::string::npos);

    std::filesystem::create_directory(dir / "folder.cfg");
    EXPECT_EQ(readChipConfigFile(dir / "folder.cfg").error().code, ErrorCode::Unreadable);
    EXPECT_FALSE(fileHasSfdp(dir / "folder.cfg"));
    EXPECT_FALSE(fileHasSfdp(dir / "missing.cfg"));

    auto shortFile = dir / "short.cfg";
    withHeader().truncate(20).saveTo(shortFile);
    EXPECT_EQ(readChipConfigFile(shortFile).error().code, ErrorCode::TooShort);
}

TEST(ChipConfigReader, RefusesFilesFarLargerThanAnyConfiguration) {
    TempDir dir;
    auto huge = dir / "huge.cfg";
    withHeader().saveTo(huge);
    std::filesystem::resize_file(huge, kMaxFileSize + 1);  // sparse: costs no disk
    auto read = readChipConfigFile(huge);
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().code, ErrorCode::TooLarge);
}

}  // namespace
}  // namespace zel::chipcfg
