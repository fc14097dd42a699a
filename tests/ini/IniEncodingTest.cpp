// INI files in the encodings they come in, read and written back in the same one.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "ini/IniDocument.h"

using zel::ini::IniDocument;
using zel::ini::IniEncoding;
using zel::test::asciiUtf16Le;

TEST(IniEncoding, Utf16LittleEndianWithMarkIncludingSurrogatePairs) {
    // "[S]\r\nk=é😀\r\n": U+00E9 and U+1F600 (D83D DE00).
    std::string bytes = asciiUtf16Le("[S]\r\nk=");
    bytes += std::string("\xE9\x00\x3D\xD8\x00\xDE", 6);
    bytes += asciiUtf16Le("\r\n", false);
    auto file = IniDocument::parse(bytes);
    EXPECT_EQ(file.encoding(), IniEncoding::Utf16LeBom);
    EXPECT_EQ(file.getString(L"s", L"K", L""), std::wstring(L"\u00E9") + static_cast<wchar_t>(0x1F600));
    EXPECT_EQ(file.serialize(), bytes);
}

TEST(IniEncoding, Utf16BigEndianWithMark) {
    std::string bytes("\xFE\xFF\x00[\x00S\x00]\x00\n\x00k\x00=\x00v", 16);
    auto file = IniDocument::parse(bytes);
    EXPECT_EQ(file.encoding(), IniEncoding::Utf16BeBom);
    EXPECT_EQ(file.getString(L"S", L"k", L""), L"v");
    EXPECT_EQ(file.serialize(), bytes);
}

TEST(IniEncoding, Utf8WithAndWithoutMark) {
    auto plain = IniDocument::parse("[S]\nk=Grüße\n");
    EXPECT_EQ(plain.encoding(), IniEncoding::Utf8);
    EXPECT_EQ(plain.getString(L"S", L"k", L""), L"Grüße");

    auto marked = IniDocument::parse("\xEF\xBB\xBF[S]\nk=Grüße\n");
    EXPECT_EQ(marked.encoding(), IniEncoding::Utf8Bom);
    EXPECT_EQ(marked.getString(L"S", L"k", L""), L"Grüße");
    EXPECT_EQ(marked.serialize(), "\xEF\xBB\xBF[S]\nk=Grüße\n");
}

TEST(IniEncoding, BytesThatAreNotUtf8AreWindows1252) {
    auto file = IniDocument::parse("[S]\nk=caf\xE9 \x80\n");
    EXPECT_EQ(file.encoding(), IniEncoding::Windows1252);
    EXPECT_EQ(file.getString(L"S", L"k", L""), L"café €");
    ASSERT_TRUE(file.setString(L"S", L"other", L"\u00FC"));
    EXPECT_EQ(file.serialize(), "[S]\nk=caf\xE9 \x80\nother=\xFC\n");
}

TEST(IniEncoding, AWindows1252FileTakingAValueItCannotCarryBecomesUtf8WithMark) {
    auto file = IniDocument::parse("[S]\nk=caf\xE9\n");
    ASSERT_TRUE(file.setString(L"S", L"name", L"\u4E2D\u6587"));
    EXPECT_EQ(file.encodingForSave(), IniEncoding::Utf8Bom);
    auto back = IniDocument::parse(file.serialize());
    EXPECT_EQ(back.getString(L"S", L"k", L""), L"café");
    EXPECT_EQ(back.getString(L"S", L"name", L""), L"\u4E2D\u6587");
}
