// The trace store's read-out cursor: what the host takes, what is lost when it falls behind,
// and what a reset leaves.
#include "target/TraceStore.h"

#include <gtest/gtest.h>

namespace zel::sim::target::test {
namespace {

const uint8_t kRead[] = {0x05, 0x00};  // two records a transaction (stamp + command)

TEST(TraceStoreCursor, HostTakesUnreadRecordsOnceAndInOrder) {
    TraceStore store(16);
    for (int i = 0; i < 3; ++i) store.record(static_cast<uint64_t>(i), kRead);
    std::array<TraceRecord, 4> first{};
    ASSERT_EQ(store.takeUnread(first), 4u);
    EXPECT_EQ(first[1][0], 1) << "command record of the first transaction";
    EXPECT_EQ(first[3][0], 2);
    std::array<TraceRecord, 8> rest{};
    ASSERT_EQ(store.takeUnread(rest), 2u);
    EXPECT_EQ(rest[1][0], 3);
    EXPECT_EQ(store.takeUnread(rest), 0u);
    EXPECT_EQ(store.size(), 6u) << "read records stay for inspection";
    EXPECT_EQ(store.retained(5, 9).size(), 1u);
    EXPECT_EQ(store.overflows(), 0u);
}

TEST(TraceStoreCursor, FallingBehindCountsLostRecordsAndKeepsTheNewest) {
    TraceStore store(8);
    for (int i = 0; i < 6; ++i) store.record(static_cast<uint64_t>(i), kRead);  // 12 records into 8
    EXPECT_EQ(store.unread(), 8u);
    EXPECT_EQ(store.overflows(), 4u);
    EXPECT_EQ(store.produced(), 12u);
    std::array<TraceRecord, 8> taken{};
    ASSERT_EQ(store.takeUnread(taken), 8u);
    EXPECT_EQ(taken[1][0], 3) << "the oldest unread record left is the third transaction's";
    EXPECT_EQ(taken[7][0], 6);

    store.clear();
    EXPECT_EQ(store.overflows(), 0u);
    store.record(0, kRead);
    EXPECT_EQ(store.last(1)[0][0], 1) << "sequence numbers start again";
}

}  // namespace
}  // namespace zel::sim::target::test
