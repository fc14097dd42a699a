// The hyper-terminal receive queue: its capacity edge, its indices after wrapping, and a filling
// and a draining thread at once (also run under ThreadSanitizer by scripts/test).
#include "CQueue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace zel::api {
namespace {

TEST(ReceiveQueue, KeepsCapacityLessOneBytesAndDropsTheNewest) {
    CQueue queue;
    for (uint32_t i = 0; i < CQueue::kCapacity - 1; ++i) ASSERT_TRUE(queue.push(static_cast<uint8_t>(i)));
    EXPECT_FALSE(queue.push(0xEE)) << "the 131,072nd byte is dropped";
    EXPECT_EQ(queue.IsFull(), true);
    EXPECT_EQ(queue.Count(), 131071u);
    EXPECT_EQ(queue.pop(), 0) << "the oldest byte comes first";
    EXPECT_EQ(queue.pop(), 1);
    const uint8_t tail[] = {0xA1, 0xA2, 0xA3};
    EXPECT_EQ(queue.pushAll(tail), 2u) << "room for two: the third is dropped";
    std::vector<uint8_t> all(CQueue::kCapacity);
    ASSERT_EQ(queue.popInto(all), 131071u);
    EXPECT_EQ(all[131068], 0xFE);
    EXPECT_EQ(all[131069], 0xA1);
    EXPECT_EQ(all[131070], 0xA2);
    EXPECT_TRUE(queue.IsEmpty());
    EXPECT_EQ(queue.pop(), 0) << "empty";
}

TEST(ReceiveQueue, EmptyAgainAtANonZeroIndex) {
    CQueue queue;
    queue.push(7);
    EXPECT_EQ(queue.pop(), 7);
    EXPECT_EQ(queue.head(), 1u);
    EXPECT_TRUE(queue.IsEmpty());
    EXPECT_FALSE(queue.IsFull());
    EXPECT_EQ(queue.Count(), 0u);
}

TEST(ReceiveQueue, ConcurrentFillAndDrainLoseAndReorderNothing) {
    CQueue queue;
    constexpr uint32_t kBytes = 1'000'000;
    std::thread producer([&] {
        std::vector<uint8_t> block(509);
        uint32_t sent = 0;
        while (sent < kBytes) {
            const size_t n = std::min<size_t>(block.size(), kBytes - sent);
            for (size_t i = 0; i < n; ++i) block[i] = static_cast<uint8_t>((sent + i) % 251);
            sent += static_cast<uint32_t>(queue.pushAll({block.data(), n}));  // a full queue keeps a prefix
        }
    });
    uint32_t received = 0;
    bool inOrder = true;
    std::vector<uint8_t> chunk(300);
    while (received < kBytes) {
        // Alternate the one-byte and the block drain; the counters may lag but never run ahead.
        EXPECT_LE(queue.Count(), CQueue::kCapacity - 1);
        if (received % 2 == 0 && !queue.IsEmpty()) {
            inOrder &= queue.pop() == received % 251;
            ++received;
            continue;
        }
        const size_t n = queue.popInto(chunk);
        for (size_t i = 0; i < n; ++i) inOrder &= chunk[i] == (received + i) % 251;
        received += static_cast<uint32_t>(n);
    }
    producer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_TRUE(queue.IsEmpty());
}

}  // namespace
}  // namespace zel::api
