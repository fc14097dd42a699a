// The Load File dialog's choices: format names and extensions, the fill value, the path history.
#include "dialogs/core/LoadFileChoice.h"
#include "dialogs/core/PathHistory.h"

#include <gtest/gtest.h>

namespace zel::gui {
namespace {

TEST(ImageFileFormats, NamesAndExtensionsSelectTheReader)
{
    for (auto format : {ImageFileFormat::RawBin, ImageFileFormat::IntelHex, ImageFileFormat::MotorolaS19,
                        ImageFileFormat::Rom})
        EXPECT_EQ(formatFromName(formatName(format)), format);
    EXPECT_EQ(formatName(ImageFileFormat::Rom), "ROM");
    EXPECT_EQ(formatFromName("Srec"), ImageFileFormat::RawBin);

    EXPECT_EQ(formatForPath("/images/BOOT.HEX"), ImageFileFormat::IntelHex);
    EXPECT_EQ(formatForPath("fw.S19"), ImageFileFormat::MotorolaS19);
    EXPECT_EQ(formatForPath("bios.Rom"), ImageFileFormat::Rom);
    EXPECT_EQ(formatForPath("bios.hex.bin"), ImageFileFormat::RawBin);
    EXPECT_EQ(formatForPath("/a.hex/image"), ImageFileFormat::RawBin);
    EXPECT_EQ(readerFormat(ImageFileFormat::Rom), image::Format::Binary);
    EXPECT_EQ(readerFormat(ImageFileFormat::MotorolaS19), image::Format::SRecord);
}

TEST(FillValue, OneHexadecimalByte)
{
    EXPECT_EQ(parseFillValue("FF"), 0xFF);
    EXPECT_EQ(parseFillValue(" a5 "), 0xA5);
    EXPECT_EQ(parseFillValue("0"), 0x00);
    for (const char* wrong : {"", "  ", "100", "G1", "0x1", "-1", "1 2"})
        EXPECT_EQ(parseFillValue(wrong), std::nullopt) << wrong;
    EXPECT_EQ(fillValueText(0x0A), "0A");
    EXPECT_EQ(LoadFileChoice().fillValue, 0xFF);
}

TEST(PathHistory, NewestFirstEachPathOnceStoredJoined)
{
    auto history = PathHistory::fromJoined("/a.bin||/b.hex|/a.bin|");
    EXPECT_EQ(history.paths(), (std::vector<std::string>{"/a.bin", "/b.hex"}));
    history.add("/b.hex");
    history.add("");
    history.add("/c.s19");
    EXPECT_EQ(history.joined(), "/c.s19|/b.hex|/a.bin");

    for (int i = 0; i < 40; ++i)
        history.add("/image" + std::to_string(i));
    EXPECT_EQ(history.paths().size(), PathHistory::kMaxPaths);
    EXPECT_EQ(history.paths().front(), "/image39");
}

}  // namespace
}  // namespace zel::gui
