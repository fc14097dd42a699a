// Updating keys in place: only the changed line differs, everything else stays as it was.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "ini/IniDocument.h"

using zel::ini::IniDocument;
using zel::test::asciiUtf16Le;

namespace {

constexpr const char* kOriginal =
    "; RPMC settings\r\n"
    "[Varnik RPMC]\r\n"
    "Initialized1 = 0\r\n"
    "CountValue1=00000000\r\n"
    "; the root key\r\n"
    "Key1=AB\r\n"
    "\r\n"
    "[Other]\r\n"
    "x=1\r\n";

}  // namespace

TEST(IniUpdate, AnExistingKeyChangesOnlyItsValue) {
    auto file = IniDocument::parse(kOriginal);
    ASSERT_TRUE(file.setString(L"varnik rpmc", L"INITIALIZED1", L"1"));
    ASSERT_TRUE(file.setString(L"Varnik RPMC", L"Key1", L"CD"));
    std::string expected(kOriginal);
    expected.replace(expected.find("Initialized1 = 0"), 16, "Initialized1 = 1");
    expected.replace(expected.find("Key1=AB"), 7, "Key1=CD");
    EXPECT_EQ(file.serialize(), expected);
}

TEST(IniUpdate, ANewKeyGoesAfterTheLastLineOfItsSectionAndANewSectionAtTheEnd) {
    auto file = IniDocument::parse(kOriginal);
    ASSERT_TRUE(file.setString(L"Varnik RPMC", L"Key2", L"EF"));
    ASSERT_TRUE(file.setString(L"New", L"a", L"b"));
    std::string expected(kOriginal);
    expected.insert(expected.find("\r\n[Other]"), "Key2=EF\r\n");
    expected += "\r\n[New]\r\na=b\r\n";
    EXPECT_EQ(file.serialize(), expected);
}

TEST(IniUpdate, KeepsUtf16AndTheFilesLineEnds) {
    auto file = IniDocument::parse(asciiUtf16Le("[S]\nk=old\n; note\n"));
    ASSERT_TRUE(file.setString(L"S", L"k", L"new"));
    ASSERT_TRUE(file.setString(L"S", L"k2", L"v"));
    EXPECT_EQ(file.serialize(), asciiUtf16Le("[S]\nk=new\n; note\nk2=v\n"));
}

TEST(IniUpdate, AFileWithoutAFinalLineBreakStaysWithoutOne) {
    auto file = IniDocument::parse("[S]\nk=1");
    ASSERT_TRUE(file.setString(L"S", L"j", L"2"));
    EXPECT_EQ(file.serialize(), "[S]\nk=1\nj=2");
}

TEST(IniUpdate, AKeyWithoutValueGetsOne) {
    auto file = IniDocument::parse("[S]\n  flag  \n");
    ASSERT_TRUE(file.setString(L"S", L"flag", L"1"));
    EXPECT_EQ(file.serialize(), "[S]\n  flag  =1\n");
    EXPECT_EQ(file.getString(L"S", L"flag", L""), L"1");
}

TEST(IniUpdate, NamesAndValuesThatWouldBreakTheFileAreRefused) {
    auto file = IniDocument::parse(kOriginal);
    EXPECT_FALSE(file.setString(L"Varnik RPMC", L"Key1", L"AB\r\n[Injected]"));
    EXPECT_FALSE(file.setString(L"Varnik RPMC", L"a=b", L"1"));
    EXPECT_FALSE(file.setString(L"Varnik RPMC", L";c", L"1"));
    EXPECT_FALSE(file.setString(L"Varnik RPMC", L"  ", L"1"));
    EXPECT_FALSE(file.setString(L"", L"k", L"1"));
    EXPECT_FALSE(file.setString(L"S\n", L"k", L"1"));
    EXPECT_EQ(file.serialize(), kOriginal);
}

TEST(IniUpdate, RemovesAKey) {
    auto file = IniDocument::parse(kOriginal);
    ASSERT_TRUE(file.removeKey(L"Varnik RPMC", L"countvalue1"));
    EXPECT_FALSE(file.removeKey(L"Varnik RPMC", L"countvalue1"));
    std::string expected(kOriginal);
    expected.erase(expected.find("CountValue1=00000000\r\n"), 22);
    EXPECT_EQ(file.serialize(), expected);
}

TEST(IniUpdate, AnEmptyDocumentIsWrittenAsUtf8WithCrLf) {
    IniDocument file;
    ASSERT_TRUE(file.setString(L"Varnik RPMC", L"Initialized1", L"1"));
    EXPECT_EQ(file.serialize(), "[Varnik RPMC]\r\nInitialized1=1\r\n");
}
