// The console tool's end-of-run update and the desktop program's template copy.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "settings/SettingsDocument.h"
#include "settings/SettingsLocation.h"
#include "settings/SettingsUpdate.h"
#include "settings/TemplateCopy.h"

using namespace zel::settings;
using zel::test::asciiUtf16Le;
using zel::test::readBytes;
using zel::test::TempDir;
using zel::test::writeBytes;

namespace {

SettingsUpdate chipUpdate() {
    SettingsUpdate update;
    update.set("LastSetManufacturer", L"Winbond");
    update.set("LastSetChipType", L"W25Q64");
    update.setBool("Truncate_File", false);
    return update;
}

std::size_t entriesIn(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

}  // namespace

TEST(SettingsUpdate, AppliesEveryChangeAtOnceAndTheLastOfAKeyWins) {
    TempDir dir;
    auto path = dir / "VarnikZelmorSettings.xml";
    writeBytes(path, asciiUtf16Le("<?xml version=\"1.0\"?>\r\n<Settings>\r\n <GUI_USERS Unknown=\"u\" LastSetChipType=\"old\"/>\r\n</Settings>\r\n"));
    auto update = chipUpdate();
    update.set("LastSetManufacturer", L"Macronix");
    std::error_code error;
    EXPECT_EQ(update.applyTo(path, &error), UpdateResult::Written);
    EXPECT_FALSE(error);
    EXPECT_EQ(readBytes(path), asciiUtf16Le("<?xml version=\"1.0\"?>\r\n<Settings>\r\n <GUI_USERS Unknown=\"u\" "
                                            "LastSetChipType=\"W25Q64\" LastSetManufacturer=\"Macronix\" "
                                            "Truncate_File=\"No\"/>\r\n</Settings>\r\n"));
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(SettingsUpdate, WithoutAUsableDocumentNothingIsWrittenOrCreated) {
    TempDir dir;
    auto missing = dir / "VarnikZelmorSettings.xml";
    EXPECT_EQ(chipUpdate().applyTo(missing), UpdateResult::NoDocument);
    EXPECT_FALSE(std::filesystem::exists(missing));

    const std::string withoutSettings = "<?xml version=\"1.0\"?><Preferences><Other/></Preferences>";
    auto other = dir / "other.xml";
    writeBytes(other, withoutSettings);
    EXPECT_EQ(chipUpdate().applyTo(other), UpdateResult::NoDocument);
    EXPECT_EQ(readBytes(other), withoutSettings);

    const std::string damaged = "<?xml version=\"1.0\"?><Preferences><GUI_USERS a=\"1\">";
    writeBytes(other, damaged);
    EXPECT_EQ(chipUpdate().applyTo(other), UpdateResult::NoDocument);
    EXPECT_EQ(readBytes(other), damaged);
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(SettingsUpdate, NoChangesLeaveTheFileUntouchedAndABadKeyFailsWithoutWriting) {
    TempDir dir;
    auto path = dir / "VarnikZelmorSettings.xml";
    const std::string original = "<?xml version=\"1.0\"?><P><GUI_USERS a=\"1\"/></P>";
    writeBytes(path, original);
    EXPECT_EQ(SettingsUpdate{}.applyTo(path), UpdateResult::NothingToWrite);

    auto update = chipUpdate();
    update.set("not a name", L"x");
    std::error_code error;
    EXPECT_EQ(update.applyTo(path, &error), UpdateResult::Failed);
    EXPECT_TRUE(error);
    EXPECT_EQ(readBytes(path), original);
}

TEST(TemplateCopy, CopiesMissingFilesAndNeverOverwrites) {
    TempDir dir;
    auto templates = dir / "xdg" / "Varnik" / "Zelmor";
    auto user = dir / "home" / ".config" / "Varnik" / "Zelmor";
    std::filesystem::create_directories(templates);
    for (auto name : kUserTemplateFiles) writeBytes(templates / name, "template " + std::string(name));

    auto first = copyUserTemplates(templates, user);
    EXPECT_FALSE(first.folderError);
    EXPECT_EQ(first.copied.size(), kUserTemplateFiles.size());
    EXPECT_EQ(readBytes(user / "ZelmorProCmdIOTable.ini"), "template ZelmorProCmdIOTable.ini");

    writeBytes(user / "VarnikZelmorSettings.xml", "the user's own");
    std::filesystem::remove(user / "ZelmorProCommandTable.ini");
    std::filesystem::remove(user / "VarnikZelmorProOrdering.ini");
    std::filesystem::create_symlink(dir / "nowhere", user / "VarnikZelmorProOrdering.ini");
    auto second = copyUserTemplates(templates, user);
    EXPECT_EQ(second.copied, std::vector<std::filesystem::path>{user / "ZelmorProCommandTable.ini"});
    EXPECT_EQ(second.kept.size(), 3u);
    EXPECT_EQ(readBytes(user / "VarnikZelmorSettings.xml"), "the user's own");
    EXPECT_TRUE(std::filesystem::is_symlink(user / "VarnikZelmorProOrdering.ini"));
    EXPECT_EQ(entriesIn(user), 4u);  // no temporary files left
}

TEST(TemplateCopy, AMissingTemplateIsReportedAndSkipped) {
    TempDir dir;
    auto templates = dir / "templates";
    std::filesystem::create_directories(templates);
    writeBytes(templates / "VarnikZelmorSettings.xml", "doc");
    auto report = copyUserTemplates(templates, dir / "user");
    EXPECT_EQ(report.copied, std::vector<std::filesystem::path>{dir / "user" / "VarnikZelmorSettings.xml"});
    EXPECT_EQ(report.missing.size(), 3u);
}

TEST(TemplateCopy, AUserFolderThatCannotBeMadeIsReported) {
    TempDir dir;
    writeBytes(dir / "file", "");
    auto report = copyUserTemplates(dir.path(), dir / "file" / "sub");
    EXPECT_TRUE(report.folderError);
    EXPECT_TRUE(report.copied.empty());
}

TEST(ShippedTemplate, IsUtf16WithMarkAndCarriesTheDefaults) {
    auto bytes = readBytes(std::filesystem::path(ZEL_TEMPLATE_DIR) / kSettingsFileName);
    ASSERT_TRUE(bytes.starts_with("\xFF\xFE"));
    auto document = SettingsDocument::parse(bytes, RootLookup::Preferences);
    ASSERT_TRUE(document.isUsable());
    EXPECT_EQ(document.encoding().kind, XmlEncodingKind::Utf16Le);
    EXPECT_EQ(document.get("LastLoadedFileFormat"), L"RawBin");
    EXPECT_EQ(document.get("HoldPinSetting"), L"2");
    EXPECT_EQ(document.get("EnableRPMC"), L"0");
    EXPECT_EQ(document.get("RPMCKey4"), L"5A3C96E1B2D47F08C1E9A36B4D2F7581E0C3A95B6D7F1248A3E5C9072B4D6F81");
    EXPECT_EQ(document.get("RPMCCounterValue1"), L"00000000");
    // The console tool's view of it is the same element.
    EXPECT_EQ(SettingsDocument::parse(bytes, RootLookup::FirstElement).get("Truncate_File"), L"No");
}
