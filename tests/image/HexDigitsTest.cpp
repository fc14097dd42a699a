// The hex decoder has a vector path for runs of 16 bytes and a table path for the rest; both
// must accept exactly the 22 hex digits and give the same bytes and sum.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "image/HexDigits.h"

namespace zel::image {
namespace {

bool isHexDigit(unsigned char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

unsigned digitValue(unsigned char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

TEST(HexDigits, EveryCharacterInEveryPositionOfAVectorRun) {
    // 40 bytes: two vector runs and an 8-byte tail; a bad character anywhere must be seen.
    std::mt19937 generator(3);
    const char* digits = "0123456789ABCDEFabcdef";
    std::string text(80, '0');
    for (auto& c : text) c = digits[generator() % 22];
    uint8_t out[40];
    unsigned sum = 0;
    ASSERT_TRUE(detail::decodeHexBytes(text.data(), 40, out, sum));
    unsigned expectedSum = 0;
    for (size_t i = 0; i < 40; ++i) {
        unsigned value = digitValue(text[2 * i]) << 4 | digitValue(text[2 * i + 1]);
        ASSERT_EQ(out[i], value) << i;
        expectedSum += value;
    }
    EXPECT_EQ(sum, expectedSum);

    for (size_t position = 0; position < text.size(); ++position) {
        for (int c = 0; c < 256; ++c) {
            std::string changed = text;
            changed[position] = static_cast<char>(c);
            bool ok = detail::decodeHexBytes(changed.data(), 40, out, sum);
            ASSERT_EQ(ok, isHexDigit(static_cast<unsigned char>(c))) << "position " << position << " char " << c;
            if (ok) {
                EXPECT_EQ(out[position / 2] >> (position % 2 ? 0 : 4) & 0xF, digitValue(static_cast<unsigned char>(c)));
            }
        }
    }
}

}  // namespace
}  // namespace zel::image
