// Reading INI files the way the private-profile functions do.
#include <gtest/gtest.h>

#include "ini/IniDocument.h"

using zel::ini::BufferUnits;
using zel::ini::IniDocument;

namespace {

const IniDocument kTable = IniDocument::parse(
    "; command table\r\n"
    "[ZelmorPro command]\r\n"
    "03=Read\r\n"
    "  0B  =   Fast Read   \r\n"
    "quoted=\"  spaced  \"\r\n"
    "single='x'\r\n"
    "lonequote=\"abc\r\n"
    "presence\r\n"
    "empty=\r\n"
    "dup=first\r\n"
    "DUP=second\r\n"
    "\r\n"
    "[zelmorpro COMMAND]\r\n"
    "9F=second section\r\n"
    "[Numbers]\r\n"
    "plain=12\r\n"
    "trailing=12abc\r\n"
    "negative=  -5\r\n"
    "plus=+7\r\n"
    "letters=abc\r\n"
    "hex=0x10\r\n"
    "blank=\r\n"
    "huge=99999999999999999999999\r\n");

}  // namespace

TEST(IniLookup, NamesCompareWithoutCaseAndTheFirstMatchWins) {
    EXPECT_EQ(kTable.getString(L"zelmorpro command", L"03", L"-"), L"Read");
    EXPECT_EQ(kTable.getString(L"ZELMORPRO COMMAND", L"0b", L"-"), L"Fast Read");
    EXPECT_EQ(kTable.getString(L"ZelmorPro command", L"dup", L"-"), L"first");
    // Only the first section of a name is searched, as the profile functions do.
    EXPECT_EQ(kTable.getString(L"ZelmorPro command", L"9F", L"-"), L"-");
    // Names given with surrounding spaces are trimmed like the names in the file.
    EXPECT_EQ(kTable.getString(L" ZelmorPro command ", L" 03 ", L"-"), L"Read");
}

TEST(IniLookup, ValuesAreTrimmedAndLoseOnePairOfQuotes) {
    EXPECT_EQ(kTable.getString(L"ZelmorPro command", L"quoted", L"-"), L"  spaced  ");
    EXPECT_EQ(kTable.getString(L"ZelmorPro command", L"single", L"-"), L"x");
    EXPECT_EQ(kTable.getString(L"ZelmorPro command", L"lonequote", L"-"), L"\"abc");
    EXPECT_EQ(kTable.getString(L"ZelmorPro command", L"empty", L"-"), L"");
}

TEST(IniLookup, MissingKeysAndKeysWithoutValueGiveTheFallback) {
    EXPECT_EQ(kTable.getString(L"ZelmorPro command", L"02", L"none  "), L"none");
    EXPECT_EQ(kTable.getString(L"No such section", L"03", L"none"), L"none");
    EXPECT_EQ(kTable.getString(L"ZelmorPro command", L"presence", L"none"), L"none");
    EXPECT_TRUE(kTable.hasKey(L"ZelmorPro command", L"PRESENCE"));
    EXPECT_FALSE(kTable.hasKey(L"ZelmorPro command", L"; command table"));
    EXPECT_FALSE(kTable.find(L"ZelmorPro command", L"").has_value());
}

TEST(IniLookup, ABufferOfNUnitsHoldsAtMostNMinusOneCharacters) {
    const std::wstring seventy(70, L'A');
    auto file = IniDocument::parse("[Varnik RPMC]\nKey1=" + std::string(70, 'A') + "\n");
    EXPECT_EQ(file.getString(L"Varnik RPMC", L"Key1", L"", BufferUnits{65}), seventy.substr(0, 64));
    EXPECT_EQ(file.getString(L"Varnik RPMC", L"Key1", L""), seventy);
    EXPECT_EQ(file.getString(L"Varnik RPMC", L"Key2", L"0123456789", BufferUnits{5}), L"0123");
    EXPECT_EQ(file.getString(L"Varnik RPMC", L"Key1", L"", BufferUnits{0}), L"");
}

TEST(IniLookup, IntegersReadLeadingDecimalDigitsWithSign) {
    auto get = [](const wchar_t* key) { return kTable.getInt(L"Numbers", key, 77); };
    EXPECT_EQ(get(L"plain"), 12u);
    EXPECT_EQ(get(L"trailing"), 12u);
    EXPECT_EQ(get(L"negative"), static_cast<std::uint32_t>(-5));
    EXPECT_EQ(get(L"plus"), 7u);
    EXPECT_EQ(get(L"letters"), 0u);  // present but not a number: 0, not the fallback
    EXPECT_EQ(get(L"hex"), 0u);
    EXPECT_EQ(get(L"blank"), 77u);
    EXPECT_EQ(get(L"missing"), 77u);
    EXPECT_EQ(zel::ini::leadingInteger(L"99999999999999999999999"), INT64_MAX);
}

TEST(IniLookup, ListsSectionsAndKeys) {
    EXPECT_EQ(kTable.sectionNames(),
              (std::vector<std::wstring>{L"ZelmorPro command", L"zelmorpro COMMAND", L"Numbers"}));
    EXPECT_EQ(kTable.keyNames(L"zelmorpro command"),
              (std::vector<std::wstring>{L"03", L"0B", L"quoted", L"single", L"lonequote", L"presence", L"empty",
                                         L"dup", L"DUP"}));
}

TEST(IniLookup, LinesOutsideAnySectionAndBrokenHeadersAreIgnored) {
    auto file = IniDocument::parse("orphan=1\n[broken\nkey=2\n[Good]\nkey=3");
    EXPECT_EQ(file.sectionNames(), std::vector<std::wstring>{L"Good"});
    EXPECT_EQ(file.getString(L"Good", L"key", L""), L"3");
    EXPECT_EQ(file.getString(L"broken", L"key", L"-"), L"-");
}

TEST(IniLookup, CaseFoldingCoversNonAsciiLetters) {
    auto file = IniDocument::parse("[Größe]\nÄRGER=1\n");
    EXPECT_EQ(file.getString(L"GRÖßE", L"ärger", L""), L"1");
    EXPECT_TRUE(zel::ini::equalsIgnoringCase(L"ПРИВЕТ", L"привет"));
}
