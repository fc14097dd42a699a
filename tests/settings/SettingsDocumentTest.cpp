// The settings document: reading, and saves that change only what was set.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "settings/SettingsDocument.h"

using namespace zel::settings;
using zel::test::asciiUtf16Le;
using zel::test::readBytes;
using zel::test::TempDir;
using zel::test::writeBytes;

namespace {

// Written the way a person or another program might: declaration, comment, CR LF, attributes
// on separate lines, both quote styles, an entity, and attributes this program does not know.
constexpr const char* kHandWritten =
    "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
    "<!-- user settings -->\r\n"
    "<Preferences>\r\n"
    "  <GUI_USERS LastSetChipType='W25Q64'\r\n"
    "             UnknownToUs=\"keep &amp; me\"\r\n"
    "             HoldPinSetting = \"2\" />\r\n"
    "  <Other a=\"1\"/>\r\n"
    "</Preferences>\r\n";

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

}  // namespace

TEST(SettingsDocument, ReadsAttributesAndDecodesEntities) {
    auto document = SettingsDocument::parse(asciiUtf16Le(kHandWritten), RootLookup::Preferences);
    ASSERT_TRUE(document.isUsable());
    EXPECT_EQ(document.get("LastSetChipType"), L"W25Q64");
    EXPECT_EQ(document.get("UnknownToUs"), L"keep & me");
    EXPECT_EQ(document.get("Missing"), L"");
    EXPECT_FALSE(document.getBool("Missing"));
}

TEST(SettingsDocument, Utf16WithMarkIsKeptByteForByteExceptTheChangedAttributes) {
    auto document = SettingsDocument::parse(asciiUtf16Le(kHandWritten), RootLookup::FirstElement);
    ASSERT_TRUE(document.set("LastSetChipType", L"MX25L12835F"));
    ASSERT_TRUE(document.set("HoldPinSetting", L"2"));  // unchanged value: bytes stay as they were
    ASSERT_TRUE(document.set("LastLoadedFile", L"/tmp/a&b \"x\".bin"));
    ASSERT_TRUE(document.setBool("Truncate_File", true));

    std::string expected = replaced(kHandWritten, "'W25Q64'", "'MX25L12835F'");
    expected = replaced(expected, "= \"2\"",
                        "= \"2\" LastLoadedFile=\"/tmp/a&amp;b &quot;x&quot;.bin\" Truncate_File=\"Yes\"");
    EXPECT_EQ(document.serialize(), asciiUtf16Le(expected));
}

TEST(SettingsDocument, Utf8WithAndWithoutMarkIsKept) {
    const std::string plain =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><Preferences><GUI_USERS SavedPaths=\"Größe\"/></Preferences>";
    for (const std::string& bytes : {plain, "\xEF\xBB\xBF" + plain}) {
        auto document = SettingsDocument::parse(bytes, RootLookup::Preferences);
        ASSERT_TRUE(document.isUsable());
        EXPECT_EQ(document.get("SavedPaths"), L"Größe");
        ASSERT_TRUE(document.set("EnableRPMC", L"1"));
        EXPECT_EQ(document.serialize(), replaced(bytes, "\"/>", "\" EnableRPMC=\"1\"/>"));
    }
}

TEST(SettingsDocument, UnmarkedUtf16StaysUnmarked) {
    auto bytes = asciiUtf16Le("<?xml version=\"1.0\"?>\n<Preferences><GUI_USERS a=\"1\"></GUI_USERS></Preferences>", false);
    auto document = SettingsDocument::parse(bytes, RootLookup::Preferences);
    ASSERT_TRUE(document.isUsable());
    EXPECT_EQ(document.encoding().kind, XmlEncodingKind::Utf16Le);
    ASSERT_TRUE(document.set("a", L"2"));
    EXPECT_EQ(document.serialize(),
              asciiUtf16Le("<?xml version=\"1.0\"?>\n<Preferences><GUI_USERS a=\"2\"></GUI_USERS></Preferences>", false));
}

TEST(SettingsDocument, TheConsoleToolTakesTheFirstElementWhateverItsName) {
    const std::string bytes = "<?xml version=\"1.0\"?><!-- c --><Settings><GUI_USERS k=\"v\"/></Settings>";
    EXPECT_EQ(SettingsDocument::parse(bytes, RootLookup::FirstElement).get("k"), L"v");
    EXPECT_EQ(SettingsDocument::parse(bytes, RootLookup::Preferences).status(), SettingsLoadStatus::NoSettingsElement);
}

TEST(SettingsDocument, DocumentsThatCannotBeUsedReportWhyAndRefuseChanges) {
    struct Case {
        std::string bytes;
        SettingsLoadStatus status;
    };
    const Case cases[] = {
        {"", SettingsLoadStatus::NotADocument},
        {"<Preferences><GUI_USERS/></Preferences>", SettingsLoadStatus::NotADocument},  // no mark, no declaration
        {"<?xml version=\"1.0\"?><Preferences><GUI_USERS></Preferences>", SettingsLoadStatus::NotADocument},
        {"<?xml version=\"1.0\"?><!-- only a comment -->", SettingsLoadStatus::NotADocument},
        {"<?xml version=\"1.0\" encoding=\"no-such-charset\"?><P><GUI_USERS/></P>", SettingsLoadStatus::NotADocument},
        {"<?xml version=\"1.0\" encoding=\"UTF-16\"?><P><GUI_USERS/></P>", SettingsLoadStatus::NotADocument},
        {"<?xml version=\"1.0\"?><Preferences><Other/></Preferences>", SettingsLoadStatus::NoSettingsElement},
    };
    for (const auto& c : cases) {
        auto document = SettingsDocument::parse(c.bytes, RootLookup::FirstElement);
        EXPECT_EQ(document.status(), c.status) << c.bytes;
        EXPECT_FALSE(document.set("k", L"v"));
        EXPECT_EQ(document.get("k"), L"");
        EXPECT_FALSE(document.serialize().has_value());
    }
}

TEST(SettingsDocument, KeysThatAreNotXmlNamesAreRefused) {
    auto document = SettingsDocument::parse("<?xml version=\"1.0\"?><P><GUI_USERS/></P>", RootLookup::FirstElement);
    EXPECT_FALSE(document.set("", L"v"));
    EXPECT_FALSE(document.set("a b", L"v"));
    EXPECT_FALSE(document.set("a\"=\"", L"v"));
    EXPECT_FALSE(document.set("1st", L"v"));
    EXPECT_EQ(document.serialize(), "<?xml version=\"1.0\"?><P><GUI_USERS/></P>");
}

TEST(SettingsDocument, AwkwardValuesSurviveASaveAndALoad) {
    const std::wstring value = L"a<b>&'\"\tline\r\nnext \u4E2D " + std::wstring(1, static_cast<wchar_t>(0x1F600));
    auto document = SettingsDocument::parse(asciiUtf16Le("<?xml version=\"1.0\"?><P><GUI_USERS x='1'/></P>"),
                                            RootLookup::FirstElement);
    ASSERT_TRUE(document.set("x", value));
    ASSERT_TRUE(document.set("y", value));
    auto bytes = document.serialize();
    ASSERT_TRUE(bytes.has_value());
    auto back = SettingsDocument::parse(*bytes, RootLookup::FirstElement);
    EXPECT_EQ(back.get("x"), value);
    EXPECT_EQ(back.get("y"), value);
}

TEST(SettingsDocument, ADeclaredLegacyEncodingIsReadAndWrittenInThatEncoding) {
    // "中" is D6 D0 in GB2312.
    const std::string bytes = "<?xml version=\"1.0\" encoding=\"GB2312\"?><P><GUI_USERS n=\"\xD6\xD0\"/></P>";
    auto document = SettingsDocument::parse(bytes, RootLookup::FirstElement);
    ASSERT_TRUE(document.isUsable());
    EXPECT_EQ(document.get("n"), L"\u4E2D");
    ASSERT_TRUE(document.set("m", L"\u4E2D"));
    EXPECT_EQ(document.serialize(), replaced(bytes, "\"/>", "\" m=\"\xD6\xD0\"/>"));
    // A character GB2312 cannot carry: the document is not written rather than damaged.
    ASSERT_TRUE(document.set("m", L"\u00E9\u0E01"));
    EXPECT_FALSE(document.serialize().has_value());
}

TEST(SettingsDocument, RepeatedSavesKeepEveryChange) {
    TempDir dir;
    auto path = dir / "VarnikZelmorSettings.xml";
    writeBytes(path, asciiUtf16Le("<?xml version=\"1.0\"?>\r\n<Preferences><GUI_USERS a=\"1\" /></Preferences>\r\n"));
    auto document = SettingsDocument::load(path, RootLookup::Preferences);
    ASSERT_TRUE(document.set("b", L"2"));
    ASSERT_FALSE(document.save(path));
    ASSERT_TRUE(document.set("a", L"3"));
    ASSERT_FALSE(document.save(path));
    EXPECT_EQ(readBytes(path),
              asciiUtf16Le("<?xml version=\"1.0\"?>\r\n<Preferences><GUI_USERS a=\"3\" b=\"2\" /></Preferences>\r\n"));
}

TEST(SettingsDocument, MissingAndUnreadableFilesAreToldApart) {
    TempDir dir;
    EXPECT_EQ(SettingsDocument::load(dir / "none.xml", RootLookup::Preferences).status(), SettingsLoadStatus::FileMissing);
    EXPECT_EQ(SettingsDocument::load(dir.path(), RootLookup::Preferences).status(), SettingsLoadStatus::Unreadable);
    auto document = SettingsDocument::load(dir / "none.xml", RootLookup::Preferences);
    EXPECT_TRUE(document.save(dir / "none.xml"));
    EXPECT_FALSE(std::filesystem::exists(dir / "none.xml"));
}

TEST(SettingsDocument, AMovedFromDocumentIsUnusableRatherThanDangling) {
    auto first = SettingsDocument::parse("<?xml version=\"1.0\"?><P><GUI_USERS k=\"v\"/></P>", RootLookup::FirstElement);
    auto second = std::move(first);
    EXPECT_EQ(second.get("k"), L"v");
    EXPECT_FALSE(first.isUsable());  // NOLINT(bugprone-use-after-move): the point of the test
    EXPECT_EQ(first.get("k"), L"");
    EXPECT_FALSE(first.set("k", L"w"));
}
