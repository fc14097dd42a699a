#include <gtest/gtest.h>

#include "ImageTestSupport.h"
#include "image/Checksum.h"

namespace zel::image {
namespace {

uint32_t referenceSum(std::span<const uint8_t> bytes) {
    uint32_t sum = 0;
    for (uint8_t byte : bytes) sum += byte;
    return sum;
}

TEST(ByteSum, WrapsModulo2To32) {
    // 16,843,010 bytes of 0xFF sum to 4,294,967,550 = 2^32 + 254.
    Image ones(16843010, 0xFF);
    EXPECT_EQ(byteSum(ones), 254u);
    EXPECT_EQ(byteSum(std::span(ones).first(16843009)), 0xFFFFFFFFu);
}

TEST(ByteSum, EveryAlignmentAndTailLengthMatchesAPlainSum) {
    auto bytes = support::randomBytes(4096, 17);
    for (size_t offset = 0; offset < 64; ++offset)
        for (size_t length = 0; length + offset <= 600; length += 7)
            ASSERT_EQ(byteSum(std::span(bytes).subspan(offset, length)), referenceSum(std::span(bytes).subspan(offset, length)))
                << offset << "+" << length;
}

TEST(ByteSum, LargeRandomImage) {
    auto bytes = support::randomBytes(9 * 1024 * 1024 + 13, 5);
    EXPECT_EQ(byteSum(bytes), referenceSum(bytes));
    EXPECT_EQ(byteSum({}), 0u);
}

}  // namespace
}  // namespace zel::image
