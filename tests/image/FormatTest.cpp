#include <gtest/gtest.h>

#include "image/ImageFormat.h"

namespace zel::image {
namespace {

struct NamedFormat {
    const wchar_t* path;
    Format format;
};

class FormatFromName : public ::testing::TestWithParam<NamedFormat> {};

TEST_P(FormatFromName, WideNarrowAndPathFormsAgree) {
    const auto& [path, format] = GetParam();
    std::wstring wide(path);
    std::string narrow(wide.begin(), wide.end());
    EXPECT_EQ(formatFromName(std::wstring_view(wide)), format);
    EXPECT_EQ(formatFromName(std::string_view(narrow)), format);
    EXPECT_EQ(formatFromName(std::filesystem::path(narrow)), format);
}

INSTANTIATE_TEST_SUITE_P(
    Extensions, FormatFromName,
    ::testing::Values(NamedFormat{L"image.hex", Format::IntelHex}, NamedFormat{L"IMAGE.HEX", Format::IntelHex},
                      NamedFormat{L"a.Hex", Format::IntelHex}, NamedFormat{L"/srv/fw/app.hex", Format::IntelHex},
                      NamedFormat{L"C:\\fw\\app.HeX", Format::IntelHex}, NamedFormat{L"fw.s19", Format::SRecord},
                      NamedFormat{L"FW.S19", Format::SRecord}, NamedFormat{L"image.hex.bak", Format::Binary},
                      NamedFormat{L"image", Format::Binary}, NamedFormat{L"image.bin", Format::Binary},
                      NamedFormat{L"image.hexa", Format::Binary}, NamedFormat{L"image.he", Format::Binary},
                      NamedFormat{L"image.srec", Format::Binary}, NamedFormat{L"image.s28", Format::Binary},
                      NamedFormat{L"image.", Format::Binary}, NamedFormat{L"dir.hex/image", Format::Binary},
                      NamedFormat{L"dir.s19\\image", Format::Binary}, NamedFormat{L"", Format::Binary}));

TEST(FormatFromName, NonAsciiCharactersNeverMatch) {
    // U+0130 (capital I with dot) and U+212A (Kelvin sign) upper- or lower-case to ASCII letters
    // in some locales; the extension rules are ASCII only.
    EXPECT_EQ(formatFromName(std::wstring_view(L"image.h\u0130x")), Format::Binary);
    EXPECT_EQ(formatFromName(std::wstring_view(L"\u00e9t\u00e9.hex")), Format::IntelHex);
    EXPECT_EQ(formatFromName(std::string_view("\xc3\xa9t\xc3\xa9.S19")), Format::SRecord);
}

}  // namespace
}  // namespace zel::image
