// The API object's image buffer on its own: presetting it only on first use must still give
// every caller the same erased bytes, and a buffer that cannot be had must leave the old one.
#include "CProject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <thread>
#include <vector>

namespace {

using zel::api::CProject;

constexpr size_t kSize = 0x300000;  // 3 MiB: one large page and a part of another

bool allErased(std::span<const uint8_t> bytes)
{
    return std::ranges::all_of(bytes, [](uint8_t byte) { return byte == 0xFF; });
}

TEST(ImageBuffer, ThreadsUsingItFirstTogetherShareOneErasedBufferThatAPresetErasesInPlace)
{
    CProject api;
    api.presetImageBuffer(kSize);
    std::vector<std::span<uint8_t>> seen(4);
    std::vector<std::thread> users;
    for (auto& view : seen)
        users.emplace_back([&api, &view] { view = api.imageBuffer(); });
    for (auto& user : users)
        user.join();
    for (const auto& view : seen) {
        EXPECT_EQ(view.data(), seen.front().data());
        EXPECT_EQ(view.size(), kSize);
    }
    EXPECT_TRUE(allErased(seen.front()));

    // A caller who kept the address reads the preset too.
    std::memset(seen.front().data(), 0x5A, kSize);
    api.presetImageBuffer(kSize);
    EXPECT_TRUE(allErased(seen.front()));
    EXPECT_EQ(api.imageBuffer().data(), seen.front().data());
}

TEST(ImageBuffer, ABufferThatCannotBeHadLeavesTheOldOneWithItsBytes)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' allocators abort on an impossible size instead of throwing";
#endif
    CProject api;
    api.presetImageBuffer(kSize);
    const auto before = api.imageBuffer();
    std::memcpy(before.data(), "MARK", 4);

    EXPECT_THROW(api.presetImageBuffer(std::numeric_limits<size_t>::max() / 2), std::bad_alloc);

    const auto after = api.imageBuffer();
    EXPECT_EQ(after.data(), before.data());
    EXPECT_EQ(after.size(), kSize);
    EXPECT_EQ(std::memcmp(after.data(), "MARK", 4), 0);
    EXPECT_TRUE(allErased(after.subspan(4)));
}

}  // namespace
