// Recognising the settings document's encoding, in the order the console tool uses.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "settings/XmlTextEncoding.h"

using namespace zel::settings;
using zel::test::asciiUtf16Le;

TEST(XmlTextEncoding, RecognisesMarksUnmarkedUtf16AndDeclarations) {
    auto detect = [](const std::string& bytes) { return detectXmlEncoding(bytes); };
    EXPECT_EQ(detect(asciiUtf16Le("<?xml?>")), (XmlTextEncoding{XmlEncodingKind::Utf16Le, true, {}}));
    EXPECT_EQ(detect(asciiUtf16Le("<P/>", false)), (XmlTextEncoding{XmlEncodingKind::Utf16Le, false, {}}));
    EXPECT_EQ(detect(std::string("\xFE\xFF\0<\0P\0/\0>", 10)), (XmlTextEncoding{XmlEncodingKind::Utf16Be, true, {}}));
    EXPECT_EQ(detect(std::string("\0<\0P\0/\0>", 8)), (XmlTextEncoding{XmlEncodingKind::Utf16Be, false, {}}));
    EXPECT_EQ(detect("\xEF\xBB\xBF<P/>"), (XmlTextEncoding{XmlEncodingKind::Utf8, true, {}}));
    EXPECT_EQ(detect(" \r\n<?xml version=\"1.0\"?><P/>"), (XmlTextEncoding{XmlEncodingKind::Utf8, false, {}}));
    EXPECT_EQ(detect("<?xml version='1.0' encoding = 'UTF-8' ?><P/>"), (XmlTextEncoding{XmlEncodingKind::Utf8, false, {}}));
    EXPECT_EQ(detect("<?xml version=\"1.0\" encoding=\"BIG5\"?><P/>"),
              (XmlTextEncoding{XmlEncodingKind::Declared, false, "BIG5"}));
}

TEST(XmlTextEncoding, TheUtf16TestLooksAtTheFirstHundredBytesOnly) {
    // 50 ASCII code units of UTF-16LE, then 8-bit junk: still UTF-16LE.
    auto bytes = asciiUtf16Le(std::string(50, 'a'), false) + std::string(200, 'x');
    EXPECT_EQ(detectXmlEncoding(bytes)->kind, XmlEncodingKind::Utf16Le);
    // 8-bit text first, a zero-rich tail after byte 100: not UTF-16.
    auto late = "<?xml version=\"1.0\"?>" + std::string(100, ' ') + asciiUtf16Le("<P/>", false);
    EXPECT_EQ(detectXmlEncoding(late)->kind, XmlEncodingKind::Utf8);
}

TEST(XmlTextEncoding, TextWithoutMarkOrDeclarationIsNotADocument) {
    EXPECT_FALSE(detectXmlEncoding("<Preferences/>").has_value());
    EXPECT_FALSE(detectXmlEncoding("junk <?xml version=\"1.0\"?><P/>").has_value());
    EXPECT_FALSE(detectXmlEncoding("<?xml version=\"1.0\"").has_value());  // never closed
    EXPECT_FALSE(detectXmlEncoding("<?xmlfoo?><P/>").has_value());
    EXPECT_FALSE(detectXmlEncoding("").has_value());
}

TEST(XmlTextEncoding, DecodingAndEncodingAreInverse) {
    // U+1F600 as a surrogate pair, U+00E9 as one unit.
    std::string utf16("\xFF\xFE<\0\xE9\0\x3D\xD8\x00\xDE/\0>\0", 14);
    XmlTextEncoding encoding{XmlEncodingKind::Utf16Le, true, {}};
    auto text = decodeXmlText(utf16, encoding);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "<\xC3\xA9\xF0\x9F\x98\x80/>");
    EXPECT_EQ(encodeXmlText(*text, encoding), utf16);
}
