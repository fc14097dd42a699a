#include <gtest/gtest.h>

#include <algorithm>

#include "CfgBytes.h"
#include "TempDir.h"
#include "WalkOps.h"
#include "chipcfg/ChipConfigWriter.h"

namespace zel::chipcfg {
namespace {

using namespace test;
using zel::test::TempDir;

// An SFDP table's start: signature "SFDP", revision 1.6, one parameter header.
const std::vector<std::uint16_t> kSfdpWords = {0x4653, 0x5044, 0x0106, 0xFF00, 0x0600, 0x0901, 0x0030, 0xFF00};

ChipConfigDescription fullDescription() {
    ChipConfigDescription d;
    d.vendor = L"Acm\u00E9";
    d.chipName = L"X25Q128";
    d.chipSize = 16u << 20;
    d.voltageMillivolts = 1800;
    d.options = {true, true, false};
    d.settings = {{0x20, 0x00EF}, {0x21, 0x4018}, {0xA0, 0x0003}};
    d.levels = {{1, 1800}, {5, 1700}};
    d.sfdpWords = kSfdpWords;
    d.statusDefaults = {{0x30, 0x0002}};
    d.protectionWords = {0x0000, 0x0010};
    return d;
}

std::vector<std::uint8_t> write(const ChipConfigDescription& d) {
    auto bytes = writeChipConfig(d);
    EXPECT_TRUE(bytes.ok()) << (bytes.ok() ? "" : bytes.error().message);
    return bytes.ok() ? bytes.value() : std::vector<std::uint8_t>{};
}

Error refusal(const ChipConfigDescription& d) {
    auto bytes = writeChipConfig(d);
    EXPECT_FALSE(bytes.ok());
    return bytes.ok() ? Error{} : bytes.error();
}

TEST(ChipConfigWriter, WritesTheSameBytesAsAHandBuiltFile) {
    ChipConfigDescription d;
    d.vendor = L"Acme";
    d.chipName = L"X25Q64";
    d.chipSize = 0x800000;
    d.voltageMillivolts = 3300;
    d.options = {true, false, true};
    d.settings = {{0x20, 0x0011}};
    d.levels = {{1, 3300}};
    d.statusDefaults = {{0x30, 2}};
    d.protectionWords = {0xAAAA, 0x5555};

    auto expected = withHeader()
                        .record(0x0011, 0x0020)
                        .record(0xFFFF, 0xFFFF)
                        .record(3300, 0x0001)
                        .sfdp()
                        .srst()
                        .record(0x0002, 0x0030)
                        .prot()
                        .record(0xAAAA, 0x5555);
    EXPECT_EQ(write(d), expected.bytes());
}

TEST(ChipConfigWriter, ReadsBackAndPutsTheSfdpMarkerAt180) {
    auto d = fullDescription();
    d.reserved = 0x01020304;
    auto bytes = write(d);

    auto read = readChipConfig(bytes);
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(read->header.reserved, 0x01020304u);
    EXPECT_EQ(read->chipSize(), d.chipSize);
    ASSERT_TRUE(read->info.has_value());
    EXPECT_EQ(read->info->vendor(), d.vendor);
    EXPECT_EQ(read->info->chipName(), d.chipName);
    EXPECT_EQ(read->info->vendorAnsi, "Acm\xE9");
    EXPECT_EQ(read->info->voltageMillivolts, 1800);
    EXPECT_EQ(read->info->options, d.options);
    EXPECT_TRUE(read->hasSfdp);
    EXPECT_EQ(std::string(bytes.begin() + 180, bytes.begin() + 184), "SFDP");
    // The marker is followed by the table's own signature.
    EXPECT_EQ(std::string(bytes.begin() + 184, bytes.begin() + 188), "SFDP");
}

TEST(ChipConfigWriter, WalksToTheDescribedOperationsOnBothSlots) {
    auto bytes = write(fullDescription());
    std::vector<WalkOperation> sfdp0, sfdp1;
    for (auto w : kSfdpWords) {
        sfdp0.push_back(sfdpData(0xC1, w));
        sfdp1.push_back(sfdpData(0xC2, w));
    }
    EXPECT_EQ(walkOf(bytes, ChipSlot::First),
              ops({{setting(0x20, 0x00EF), setting(0x21, 0x4018), setting(0xA0, 0x0003)},
                   {level(1, 1800), level(5, 1700)},
                   {sfdpSelect(1)}, sfdp0,
                   {statusDefault(0x30, 2)},
                   {protectionSelect(1), protectionData(0xC5, 0x0000), protectionData(0xC5, 0x0010), finished()}}));
    EXPECT_EQ(walkOf(bytes, ChipSlot::Second, kG2),
              ops({{setting(0x90, 0x00EF), setting(0x91, 0x4018), setting(0x10, 0x0003)},
                   {level(1, 1800), level(5, 1700)},
                   {sfdpSelect(2)}, sfdp1,
                   {statusDefault(0xA0, 2)},
                   {protectionSelect(2), protectionData(0xC6, 0x0000), protectionData(0xC6, 0x0010), finished()}}));
}

TEST(ChipConfigWriter, MinimalChipLeavesTheDeviceItsDefaults) {
    ChipConfigDescription d;
    d.vendor = L"V";
    d.chipName = L"C";
    d.chipSize = 0x100000;
    d.voltageMillivolts = 3300;
    auto bytes = write(d);
    auto read = readChipConfig(bytes);
    ASSERT_TRUE(read.ok());
    EXPECT_FALSE(read->hasSfdp);
    EXPECT_EQ(walkOf(bytes), ops({defaultLevels(), {protectionSelect(1), finished()}}));
}

TEST(ChipConfigWriter, GenerationTerminatorsServeTheirGenerationOnly) {
    auto d = fullDescription();
    d.section1End = Section1End::G2Only;
    d.settings = {{0x20, 0x0FFF}};  // an ordinary value on G2
    auto g2 = write(d);
    EXPECT_EQ(walkOf(g2, ChipSlot::First, kG2).front(), setting(0x20, 0x0FFF));
    EXPECT_EQ(walkOf(g2, ChipSlot::First, kG2).at(1), level(1, 1800));

    d.section1End = Section1End::FirstGenerationOnly;
    d.settings = {{0x20, 0x1FFF}};
    auto first = write(d);
    EXPECT_EQ(walkOf(first, ChipSlot::First, kFirstGeneration).front(), setting(0x20, 0x1FFF));
    EXPECT_EQ(walkOf(first, ChipSlot::First, kFirstGeneration).at(1), level(1, 1800));
}

TEST(ChipConfigWriter, RefusesDataTheWalkWouldMisread) {
    struct Case {
        const char* what;
        std::function<void(ChipConfigDescription&)> change;
    };
    const Case cases[] = {
        {"0x0FFF ends section 1 on the first generation", [](auto& d) { d.settings.push_back({0x22, 0x0FFF}); }},
        {"0x1FFF ends section 1 on G2", [](auto& d) { d.settings.push_back({0x22, 0x1FFF}); }},
        {"first-generation file, 0x0FFF",
         [](auto& d) {
             d.section1End = Section1End::FirstGenerationOnly;
             d.settings.push_back({0x22, 0x0FFF});
         }},
        {"G2 file, 0x1FFF",
         [](auto& d) {
             d.section1End = Section1End::G2Only;
             d.settings.push_back({0x22, 0x1FFF});
         }},
        {"level equal to the SFDP marker word", [](auto& d) { d.levels.push_back({3, 0x4653}); }},
        {"SFDP record starting with SRST's first word", [](auto& d) { d.sfdpWords.insert(d.sfdpWords.end(), {0x5253, 0}); }},
        {"SFDP record ending in SRST's second word", [](auto& d) { d.sfdpWords.insert(d.sfdpWords.end(), {0, 0x5453}); }},
        {"status default equal to PROT's first word", [](auto& d) { d.statusDefaults.push_back({0x31, 0x5250}); }},
        {"SFDP table of an odd number of words", [](auto& d) { d.sfdpWords.push_back(0x1234); }},
        {"protection table of an odd number of words", [](auto& d) { d.protectionWords.push_back(0x1234); }},
    };
    for (const auto& c : cases) {
        auto d = fullDescription();
        c.change(d);
        EXPECT_EQ(refusal(d).code, ErrorCode::InvalidDescription) << c.what;
    }

    // Marker words where no marker test looks are written as they are.
    auto d = fullDescription();
    d.settings.push_back({0x22, 0x4653});
    d.sfdpWords.insert(d.sfdpWords.end(), {0x5250, 0x544F, 0x5453, 0x5253});  // PROT, and SRST's words swapped
    d.statusDefaults.push_back({0x31, 0x5253});
    d.protectionWords.insert(d.protectionWords.end(), {0x4653, 0x5044, 0x5253, 0x5453, 0x5250, 0x544F});
    d.levels.push_back({3, 0x5044});
    auto bytes = write(d);
    auto walked = walkOf(bytes);
    EXPECT_EQ(std::count(walked.begin(), walked.end(), setting(0x22, 0x4653)), 1);
    EXPECT_EQ(std::count(walked.begin(), walked.end(), level(3, 0x5044)), 1);
    EXPECT_EQ(std::count(walked.begin(), walked.end(), statusDefault(0x31, 0x5253)), 1);
    EXPECT_EQ(std::count(walked.begin(), walked.end(), protectionData(0xC5, 0x544F)), 1);
}

TEST(ChipConfigWriter, RefusesNamesTheFormatOrTheFolderCannotCarry) {
    auto withNames = [](std::wstring vendor, std::wstring chip) {
        auto d = fullDescription();
        d.vendor = std::move(vendor);
        d.chipName = std::move(chip);
        d.sfdpWords.clear();  // long names would not leave room before offset 180
        return d;
    };
    EXPECT_TRUE(writeChipConfig(withNames(std::wstring(255, L'v'), std::wstring(99, L'c'))).ok());

    EXPECT_EQ(refusal(withNames(std::wstring(256, L'v'), L"C")).code, ErrorCode::InvalidDescription);
    EXPECT_EQ(refusal(withNames(L"V", std::wstring(100, L'c'))).code, ErrorCode::InvalidDescription);
    EXPECT_EQ(refusal(withNames(L"V", std::wstring(150, L'c'))).code, ErrorCode::InvalidDescription);
    EXPECT_EQ(refusal(withNames(L"", L"C")).code, ErrorCode::InvalidDescription);
    EXPECT_EQ(refusal(withNames(L"V", L"")).code, ErrorCode::InvalidDescription);
    EXPECT_EQ(refusal(withNames(L"V\u4E2D", L"C")).code, ErrorCode::InvalidDescription);
    EXPECT_EQ(refusal(withNames(L"V", std::wstring(L"C\0D", 3))).code, ErrorCode::InvalidDescription);
    EXPECT_EQ(refusal(withNames(L"V", L"../C")).code, ErrorCode::InvalidChipName);
    EXPECT_EQ(refusal(withNames(L"V", L"a/b")).code, ErrorCode::InvalidChipName);
    EXPECT_EQ(refusal(withNames(L"V", L"a\\b")).code, ErrorCode::InvalidChipName);
}

TEST(ChipConfigWriter, SfdpMarkerMustFitBeforeOffset180) {
    // Header 32, "V\0" 2, "C\0" 2, voltage 2, options 3: 41 bytes; terminator and one level 8.
    ChipConfigDescription d;
    d.vendor = L"V";
    d.chipName = L"C";
    d.chipSize = 0x100000;
    d.voltageMillivolts = 3300;
    d.levels = {{1, 3300}};
    d.sfdpWords = kSfdpWords;
    const std::size_t room = (180 - 41 - 8) / 4;  // settings that still fit: 32, 3 bytes spare
    for (std::size_t i = 0; i < room; ++i) d.settings.push_back({static_cast<std::uint8_t>(i), 1});
    auto fits = write(d);
    EXPECT_TRUE(readChipConfig(fits)->hasSfdp);
    EXPECT_EQ(walkOf(fits).size(), room + 1 + 1 + kSfdpWords.size() + 2);

    d.settings.push_back({0x40, 1});
    auto tooMany = refusal(d);
    EXPECT_EQ(tooMany.code, ErrorCode::LayoutDoesNotFit);

    // Without the placement the file is written, but does not report SFDP.
    d.sfdpMarkerAtPresenceOffset = false;
    auto free = write(d);
    EXPECT_FALSE(readChipConfig(free)->hasSfdp);
    EXPECT_EQ(walkOf(free).size(), room + 1 + 1 + 1 + kSfdpWords.size() + 2);
}

TEST(ChipConfigWriter, WithoutATableNothingClaimsSfdpAt180) {
    // Status defaults need the "SFDP" marker to end the levels; laid out naturally it would sit
    // at 180: header 32, "VVVV\0" 5, "C\0" 2, voltage 2, options 3 = 44, then 34 records.
    ChipConfigDescription d;
    d.vendor = L"VVVV";
    d.chipName = L"C";
    d.chipSize = 0x100000;
    d.voltageMillivolts = 1800;
    std::vector<WalkOperation> settings;
    for (std::uint8_t i = 0; i < 32; ++i) {
        d.settings.push_back({i, 1});
        settings.push_back(setting(i, 1));
    }
    d.levels = {{1, 1800}};
    d.statusDefaults = {{0x30, 2}};

    auto bytes = write(d);
    auto read = readChipConfig(bytes);
    ASSERT_TRUE(read.ok());
    EXPECT_FALSE(read->hasSfdp);
    EXPECT_NE(std::string(bytes.begin() + 180, bytes.begin() + 184), "SFDP");
    EXPECT_EQ(walkOf(bytes), ops({settings,
                                  {level(1, 1800), sfdpSelect(1), statusDefault(0x30, 2), protectionSelect(1),
                                   finished()}}));

    // Names that put the letters at 180 themselves cannot be moved: refused.
    ChipConfigDescription named;
    named.vendor = std::wstring(148, L'v') + L"SFDP";
    named.chipName = L"C";
    EXPECT_EQ(refusal(named).code, ErrorCode::LayoutDoesNotFit);
}

TEST(ChipConfigWriter, SavesThroughATemporaryAndReadsBack) {
    TempDir dir;
    auto path = dir / "X25Q128.cfg";
    ASSERT_TRUE(saveChipConfig(path, fullDescription()).ok());
    auto read = readChipConfigFile(path);
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(read->info->chipName(), L"X25Q128");
    EXPECT_TRUE(fileHasSfdp(path));

    // A refused description leaves the earlier file whole.
    auto bad = fullDescription();
    bad.levels.push_back({3, 0x4653});
    EXPECT_FALSE(saveChipConfig(path, bad).ok());
    EXPECT_TRUE(readChipConfigFile(path).ok());

    auto unwritable = saveChipConfig(dir / "no-such-folder" / "x.cfg", fullDescription());
    ASSERT_FALSE(unwritable.ok());
    EXPECT_EQ(unwritable.error().code, ErrorCode::WriteFailed);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()),
              1);
}

TEST(ChipConfigWriter, TableBytesBecomeWordsPaddedWithErasedBytes) {
    const std::uint8_t table[] = {'S', 'F', 'D', 'P', 0x06, 0x01};
    EXPECT_EQ(wordsFromBytes(table), (std::vector<std::uint16_t>{0x4653, 0x5044, 0x0106, 0xFFFF}));
    EXPECT_TRUE(wordsFromBytes({}).empty());
}

}  // namespace
}  // namespace zel::chipcfg
