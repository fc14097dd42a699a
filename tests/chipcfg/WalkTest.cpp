#include <gtest/gtest.h>

#include "CfgBytes.h"
#include "TempDir.h"
#include "WalkOps.h"

namespace zel::chipcfg {
namespace {

using namespace test;
using zel::test::TempDir;

// Every section with content: settings, levels, SFDP table, status defaults, protection table.
CfgBytes fullFile() {
    return withHeader()
        .record(0x0011, 0x0020)  // setting: register 0x20 := 0x11
        .record(0x0302, 0x00A0)  // register 0xA0 (slot 1 wraps to 0x10)
        .record(0xFFFF, 0xFFFF)  // end of section 1
        .record(3300, 0x0001)    // level: channel 1 := 3300
        .record(1800, 0x0105)    // channel = low byte of the second word
        .sfdp()
        .sfdp()                  // the table's own signature is data, not a marker
        .record(0x0106, 0x01FF)
        .srst()
        .record(0x0002, 0x0030)  // status default: register 0x30 := 2
        .prot()
        .record(0xAAAA, 0x5555);
}

TEST(ChipConfigWalk, Slot0WalksEverySectionInOrder) {
    auto expected = ops({
        {setting(0x20, 0x0011), setting(0xA0, 0x0302)},
        {level(1, 3300), level(5, 1800)},
        {sfdpSelect(1), sfdpData(0xC1, 0x4653), sfdpData(0xC1, 0x5044), sfdpData(0xC1, 0x0106),
         sfdpData(0xC1, 0x01FF)},
        {statusDefault(0x30, 0x0002)},
        {protectionSelect(1), protectionData(0xC5, 0xAAAA), protectionData(0xC5, 0x5555)},
        {finished()},
    });
    EXPECT_EQ(walkOf(fullFile(), ChipSlot::First), expected);
}

TEST(ChipConfigWalk, Slot1UsesRegistersPlus0x70AndItsOwnTablePorts) {
    auto expected = ops({
        {setting(0x90, 0x0011), setting(0x10, 0x0302)},
        {level(1, 3300), level(5, 1800)},  // levels are not slot registers
        {sfdpSelect(2), sfdpData(0xC2, 0x4653), sfdpData(0xC2, 0x5044), sfdpData(0xC2, 0x0106),
         sfdpData(0xC2, 0x01FF)},
        {statusDefault(0xA0, 0x0002)},
        {protectionSelect(2), protectionData(0xC6, 0xAAAA), protectionData(0xC6, 0x5555)},
        {finished()},
    });
    EXPECT_EQ(walkOf(fullFile(), ChipSlot::Second), expected);
}

TEST(ChipConfigWalk, ProtectionTableIsSelectedEvenWhenItIsEmpty) {
    // PROT is the last record.
    auto emptyTable = withHeader().record(0xFFFF, 0xFFFF).record(3300, 1).sfdp().record(1, 2).srst().prot();
    EXPECT_EQ(walkOf(emptyTable, ChipSlot::Second),
              ops({{level(1, 3300), sfdpSelect(2), sfdpData(0xC2, 1), sfdpData(0xC2, 2), protectionSelect(2),
                    finished()}}));

    // No markers at all: the levels run to the end of the file.
    auto noMarkers = withHeader().record(7, 0x21).record(0xFFFF, 0xFFFF).record(3300, 1).record(2500, 2);
    EXPECT_EQ(walkOf(noMarkers),
              ops({{setting(0x21, 7), level(1, 3300), level(2, 2500), protectionSelect(1), finished()}}));

    // The file ends inside the SFDP table or the status defaults.
    auto endsInTable = withHeader().record(0xFFFF, 0xFFFF).sfdp().record(1, 2);
    EXPECT_EQ(walkOf(endsInTable),
              ops({defaultLevels(), {sfdpSelect(1), sfdpData(0xC1, 1), sfdpData(0xC1, 2), protectionSelect(1),
                                     finished()}}));
    auto endsInDefaults = withHeader().record(0xFFFF, 0xFFFF).sfdp().srst().record(9, 0x31);
    EXPECT_EQ(walkOf(endsInDefaults),
              ops({defaultLevels(), {sfdpSelect(1), statusDefault(0x31, 9), protectionSelect(1), finished()}}));
}

TEST(ChipConfigWalk, EmptyLevelSectionSendsTheDefaultLevels) {
    auto markerFirst = withHeader().record(0xFFFF, 0xFFFF).sfdp();
    EXPECT_EQ(walkOf(markerFirst), ops({defaultLevels(), {protectionSelect(1), finished()}}));

    auto bodyEndsAfterSection1 = withHeader().record(5, 0x40).record(0xFFFF, 0xFFFF);
    EXPECT_EQ(walkOf(bodyEndsAfterSection1),
              ops({{setting(0x40, 5)}, defaultLevels(), {protectionSelect(1), finished()}}));

    // One level, even one equal to a default, replaces all three.
    auto oneLevel = withHeader().record(0xFFFF, 0xFFFF).record(3000, 2).sfdp();
    EXPECT_EQ(walkOf(oneLevel), ops({{level(2, 3000), protectionSelect(1), finished()}}));
}

TEST(ChipConfigWalk, SfdpTableIsSelectedOnlyWhenARecordFollowsItsMarker) {
    auto endsAtMarker = withHeader().record(0xFFFF, 0xFFFF).record(1800, 1).sfdp();
    EXPECT_EQ(walkOf(endsAtMarker), ops({{level(1, 1800), protectionSelect(1), finished()}}));

    auto cutRecordAfterMarker = withHeader().record(0xFFFF, 0xFFFF).record(1800, 1).sfdp().raw({1, 2, 3});
    EXPECT_EQ(walkOf(cutRecordAfterMarker), ops({{level(1, 1800), protectionSelect(1), finished()}}));

    auto emptyTable = withHeader().record(0xFFFF, 0xFFFF).record(1800, 1).sfdp().srst().prot();
    EXPECT_EQ(walkOf(emptyTable), ops({{level(1, 1800), sfdpSelect(1), protectionSelect(1), finished()}}));
}

TEST(ChipConfigWalk, GenerationTerminatorsEndSection1OnlyOnTheirGeneration) {
    auto file = withHeader()
                    .record(0x0FFF, 0x0050)  // first generation: the end
                    .record(0x1FFF, 0x0051)  // G2: the end
                    .record(0x1234, 0x0006)
                    .sfdp();
    EXPECT_EQ(walkOf(file, ChipSlot::First, kFirstGeneration),
              ops({{level(0x51, 0x1FFF)}, {level(6, 0x1234), protectionSelect(1), finished()}}));
    EXPECT_EQ(walkOf(file, ChipSlot::First, kG2),
              ops({{setting(0x50, 0x0FFF), level(6, 0x1234), protectionSelect(1), finished()}}));

    // The 0xFFFF tag ends the section on both, whatever the value.
    auto tagged = withHeader().record(0x0FFE, 0x0052).record(0x0123, 0xFFFF).record(2500, 3);
    for (const auto* g : {&kFirstGeneration, &kG2})
        EXPECT_EQ(walkOf(tagged, ChipSlot::First, *g),
                  ops({{setting(0x52, 0x0FFE), level(3, 2500), protectionSelect(1), finished()}}));
}

TEST(ChipConfigWalk, GenerationIsAskedAfreshForEverySection1Record) {
    // The device answers "first generation" once, then "G2": the first record is judged by the
    // first-generation rule, the later ones by the G2 rule. A walk that asked once would either
    // stop at the first record (G2) or at the second (first generation).
    int asked = 0;
    std::function<bool()> turnsG2 = [&asked] { return ++asked > 1; };
    auto file = withHeader()
                    .record(0x1FFF, 0x0060)  // asked 1: first generation, ordinary
                    .record(0x0FFF, 0x0061)  // asked 2: G2, ordinary
                    .record(0x1FFF, 0x0062)  // asked 3: G2, the end
                    .record(0x0777, 0x0008)  // level: no more questions
                    .sfdp()
                    .record(0x1FFF, 0x0FFF);
    auto walked = recordWalk(file, ChipSlot::Second, turnsG2);
    ASSERT_TRUE(walked.ok());
    EXPECT_EQ(walked.value(), ops({{setting(0xD0, 0x1FFF), setting(0xD1, 0x0FFF), level(8, 0x0777)},
                                   {sfdpSelect(2), sfdpData(0xC2, 0x1FFF), sfdpData(0xC2, 0x0FFF)},
                                   {protectionSelect(2), finished()}}));
    EXPECT_EQ(asked, 3);

    // The 0xFFFF tag is judged after the question too: one question per section-1 record.
    asked = 0;
    auto tagged = withHeader().record(0x0001, 0x0020).record(0x0002, 0xFFFF).record(0x0003, 0x0004);
    EXPECT_EQ(recordWalk(tagged, ChipSlot::First, turnsG2).value(),
              ops({{setting(0x20, 1), level(4, 3), protectionSelect(1), finished()}}));
    EXPECT_EQ(asked, 2);
}

TEST(ChipConfigWalk, ExactlyOneRecordIsPassedOverAfterSection1) {
    // With the magic: the terminator is the record passed over; the next one is a level even
    // when it looks like another terminator.
    auto withMagic = withHeader().record(1, 0x20).record(0xFFFF, 0xFFFF).record(0xFFFF, 0xFFFF).sfdp();
    EXPECT_EQ(walkOf(withMagic),
              ops({{setting(0x20, 1), level(0xFF, 0xFFFF), protectionSelect(1), finished()}}));

    // Without the magic: no section 1, no generation question; the first record is passed over.
    int asked = 0;
    std::function<bool()> counting = [&asked] { return ++asked, false; };
    auto noMagic = withHeader(false).record(0x0011, 0x0020).record(0x0BB8, 0x0002).record(0x0CE4, 0x0004).sfdp();
    auto walked = recordWalk(noMagic, ChipSlot::First, counting);
    ASSERT_TRUE(walked.ok());
    EXPECT_EQ(walked.value(), ops({{level(2, 3000), level(4, 3300), protectionSelect(1), finished()}}));
    EXPECT_EQ(asked, 0);

    // Without the magic the passed-over record can be the SFDP marker itself.
    auto markerPassedOver = withHeader(false).sfdp().record(1800, 1);
    EXPECT_EQ(walkOf(markerPassedOver), ops({{level(1, 1800), protectionSelect(1), finished()}}));
}

TEST(ChipConfigWalk, MarkersMatchOnEitherWordInItsPosition) {
    // "SFDP" by its first word only, "SRST" by its second only, "PROT" by its first only.
    auto file = withHeader()
                    .record(0xFFFF, 0xFFFF)
                    .record(0x4653, 0x0000)
                    .record(0x1111, 0x5453)
                    .record(0x5250, 0x9999)
                    .record(0x0001, 0x0002);
    EXPECT_EQ(walkOf(file), ops({defaultLevels(), {sfdpSelect(1), protectionSelect(1), protectionData(0xC5, 1),
                                                   protectionData(0xC5, 2), finished()}}));

    // The other halves, and a record whose words are swapped halves of two markers.
    auto other = withHeader()
                     .record(0xFFFF, 0xFFFF)
                     .record(0x0000, 0x5044)
                     .record(0x5253, 0x0000)
                     .record(0x0000, 0x544F);
    EXPECT_EQ(walkOf(other), ops({defaultLevels(), {sfdpSelect(1), protectionSelect(1), finished()}}));

    // A marker word of a later section, or in the wrong position, is ordinary data.
    auto levelsWithLaterMarkers = withHeader()
                                      .record(0xFFFF, 0xFFFF)
                                      .record(0x5044, 0x4653)
                                      .record(0x5253, 0x0001)  // SRST word in the level section
                                      .record(0x5250, 0x0002)  // PROT word in the level section
                                      .sfdp()
                                      .record(0x5250, 0x544F)  // PROT in the SFDP table
                                      .srst()
                                      .record(0x4653, 0x0030)  // SFDP word in the defaults
                                      .prot()
                                      .srst()
                                      .sfdp();
    EXPECT_EQ(walkOf(levelsWithLaterMarkers),
              ops({{level(0x53, 0x5044), level(1, 0x5253), level(2, 0x5250)},
                   {sfdpSelect(1), sfdpData(0xC1, 0x5250), sfdpData(0xC1, 0x544F)},
                   {statusDefault(0x30, 0x4653)},
                   {protectionSelect(1), protectionData(0xC5, 0x5253), protectionData(0xC5, 0x5453),
                    protectionData(0xC5, 0x4653), protectionData(0xC5, 0x5044)},
                   {finished()}}));
}

TEST(ChipConfigWalk, RecordCutOffByTheEndOfTheFileIsNotUsed) {
    for (std::size_t extra = 1; extra < 4; ++extra) {
        auto inSettings = withHeader().record(1, 0x20).fill(extra, 0x00);
        EXPECT_EQ(walkOf(inSettings), ops({{setting(0x20, 1)}, defaultLevels(), {protectionSelect(1), finished()}}))
            << extra;

        auto inLevels = withHeader().record(0xFFFF, 0xFFFF).record(1800, 1).fill(extra, 0x44);
        EXPECT_EQ(walkOf(inLevels), ops({{level(1, 1800), protectionSelect(1), finished()}})) << extra;

        auto inProtection = withHeader().record(0xFFFF, 0xFFFF).sfdp().srst().prot().record(7, 8).fill(extra, 0x55);
        EXPECT_EQ(walkOf(inProtection, ChipSlot::Second),
                  ops({defaultLevels(), {sfdpSelect(2), protectionSelect(2), protectionData(0xC6, 7),
                                         protectionData(0xC6, 8), finished()}}))
            << extra;
    }
}

TEST(ChipConfigWalk, RecordOffsetAtOrPastTheEndTakesTheEmptyBodyPath) {
    int asked = 0;
    std::function<bool()> counting = [&asked] { return ++asked, true; };
    for (std::uint32_t offset : {49u, 50u, 52u, 0x10000u, 0xFFFFFFFCu, 0xFFFFFFFFu}) {
        auto file = withHeader().record(1, 0x20);  // record at 49..52
        file.patch32(8, offset);
        auto walked = recordWalk(file, ChipSlot::Second, counting);
        ASSERT_TRUE(walked.ok());
        if (offset == 49) continue;  // the one record lies inside
        EXPECT_EQ(walked.value(), ops({defaultLevels(), {protectionSelect(2), finished()}})) << offset;
    }
    EXPECT_EQ(asked, 1);  // only for the record that was inside the file
}

TEST(ChipConfigWalk, RecordOffsetIsTakenAsItStands) {
    // Even one pointing into the fixed part: the walk reads those bytes as records and still
    // stays inside the file.
    auto file = withHeader(false);
    file.patch32(8, 40);  // "Q64\0" is passed over, voltage and options (3300, 0x0001) are a level,
                          // the last option byte is a cut record
    EXPECT_EQ(walkOf(file), ops({{level(1, 3300), protectionSelect(1), finished()}}));
}

TEST(ChipConfigWalk, FileShorterThanItsHeaderIsNotWalked) {
    WalkRecorder recorder;
    int asked = 0;
    auto file = withHeader().truncate(31);
    auto walked = walkChipConfig(file, ChipSlot::First, [&] { return ++asked, false; }, recorder);
    ASSERT_FALSE(walked.ok());
    EXPECT_EQ(walked.error().code, ErrorCode::TooShort);
    EXPECT_TRUE(recorder.operations.empty());
    EXPECT_EQ(asked, 0);

    // A bare header is walked: defaults, protection select, finish.
    EXPECT_EQ(walkOf(withHeader().truncate(32)), ops({defaultLevels(), {protectionSelect(1), finished()}}));
}

TEST(ChipConfigWalk, FileThatCannotBeReadIsNotWalked) {
    TempDir dir;
    WalkRecorder recorder;
    auto missing = walkChipConfigFile(dir / "missing.cfg", ChipSlot::First, kFirstGeneration, recorder);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, ErrorCode::Unreadable);
    EXPECT_TRUE(recorder.operations.empty());

    withHeader().record(0xFFFF, 0xFFFF).record(1800, 1).saveTo(dir / "good.cfg");
    ASSERT_TRUE(walkChipConfigFile(dir / "good.cfg", ChipSlot::Second, kG2, recorder).ok());
    EXPECT_EQ(recorder.operations, ops({{level(1, 1800), protectionSelect(2), finished()}}));
}

TEST(ChipConfigWalk, MissingGenerationTestMeansFirstGeneration) {
    auto file = withHeader().record(0x1FFF, 0x20).record(0x0FFF, 0x21).record(1800, 1);
    EXPECT_EQ(walkOf(file, ChipSlot::First, std::function<bool()>{}),
              ops({{setting(0x20, 0x1FFF), level(1, 1800), protectionSelect(1), finished()}}));
}

}  // namespace
}  // namespace zel::chipcfg
