// The share channel between real processes: requesters and holders are separate processes that
// use the API, some of them killed at the worst moment.
#include "ShareParticipant.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

namespace {

using namespace std::chrono_literals;
using zel::test::SegmentView;
using zel::test::ShareParticipant;
using ShareChannel = zel::test::ShareChannelTest;
using Clock = std::chrono::steady_clock;

uint32_t read(const uint32_t& field)
{
    return *static_cast<const volatile uint32_t*>(&field);
}

// Until the segment holds a published request with this id.
bool requestPublished(SegmentView& view, uint32_t id)
{
    const auto end = Clock::now() + 5s;
    while (Clock::now() < end) {
        if (const auto* shared = view.layout(); shared != nullptr && read(shared->requestId) == id)
            return true;
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

TEST_F(ShareChannel, PauseAndRegainReachTheHolderInAnotherProcess)
{
    ShareParticipant holder, requester;
    EXPECT_EQ(holder.call('G'), "0");  // nothing requested
    for (const char* code : {"1", "2"}) {
        requester.send(*code == '1' ? 'P' : 'R');
        EXPECT_EQ(holder.call('W'), code);
        holder.call('A');
        EXPECT_EQ(requester.reply(), "0");
    }
    EXPECT_EQ(holder.call('E'), "");
}

TEST_F(ShareChannel, UnansweredPauseGivesOneAndWaitsForTheNextPollAnywhere)
{
    ShareParticipant requester, bystander;
    const auto start = Clock::now();
    EXPECT_EQ(requester.call('P'), "1");
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 450ms);
    EXPECT_LT(waited, 5s);
    EXPECT_EQ(bystander.call('G'), "1");
    EXPECT_EQ(bystander.call('G'), "0");  // taken once only
    EXPECT_EQ(requester.call('G'), "0");
}

TEST_F(ShareChannel, RegainWhileAnotherRequestHoldsTheLockGivesFourAndLeavesTheBlock)
{
    SegmentView view(names().segment);
    ShareParticipant pausing, regaining, holder;
    pausing.send('P');  // unanswered: its requester keeps the lock for 500 ms
    ASSERT_TRUE(requestPublished(view, 1));
    const auto start = Clock::now();
    EXPECT_EQ(regaining.call('R'), "4");
    EXPECT_GE(Clock::now() - start, 240ms);
    const auto& shared = *view.layout();
    EXPECT_EQ(read(shared.block.requestCode), 1u);
    EXPECT_EQ(read(shared.issuedId), 1u);
    EXPECT_EQ(pausing.reply(), "1");
    EXPECT_EQ(holder.call('G'), "1");  // the pause is what a holder finds
}

TEST_F(ShareChannel, LateAnswerNeverSatisfiesTheNextRequest)
{
    SegmentView view(names().segment);
    ShareParticipant holder, requester;
    requester.send('P');
    EXPECT_EQ(holder.call('W'), "1");
    EXPECT_EQ(requester.reply(), "1");  // the holder took the pause but did not answer in time
    requester.send('R');
    ASSERT_TRUE(requestPublished(view, 2));
    holder.call('A');                   // the pause's answer comes while the regain waits
    EXPECT_EQ(requester.reply(), "1");  // ... and is not the regain's
    EXPECT_EQ(holder.call('G'), "2");
    holder.call('A');
    EXPECT_EQ(holder.call('G'), "0");
}

TEST_F(ShareChannel, RequesterKilledHoldingTheLockBlocksNobody)
{
    ShareParticipant holder, doomed, next;
    doomed.send('P');
    EXPECT_EQ(holder.call('W'), "1");  // the request is out, so its requester holds the lock
    doomed.kill();
    next.send('R');
    EXPECT_EQ(holder.call('W'), "2");
    holder.call('A');
    EXPECT_EQ(next.reply(), "0");
}

TEST_F(ShareChannel, HolderKilledMidRequestLeavesNothingForTheNextHolder)
{
    ShareParticipant requester;  // keeps the segment in use throughout
    {
        ShareParticipant holder;
        requester.send('P');
        EXPECT_EQ(holder.call('W'), "1");
        holder.kill();
    }
    EXPECT_EQ(requester.reply(), "1");
    ShareParticipant successor;
    EXPECT_EQ(successor.call('G'), "0");
    requester.send('R');
    EXPECT_EQ(successor.call('W'), "2");
    successor.call('A');
    EXPECT_EQ(requester.reply(), "0");
}

TEST_F(ShareChannel, SegmentLeftByDeadProcessesIsSetUpAfresh)
{
    SegmentView view(names().segment);
    {
        ShareParticipant doomed;
        doomed.send('P');
        ASSERT_TRUE(requestPublished(view, 1));
        doomed.kill();  // dies holding the lock, its request posted and never taken
    }
    ShareParticipant holder, requester;
    EXPECT_EQ(holder.call('G'), "0");  // a left-over request would show here
    requester.send('R');
    EXPECT_EQ(holder.call('W'), "2");
    holder.call('A');
    EXPECT_EQ(requester.reply(), "0");
}

// Writes the segment as another party left it; the liveness file is made private.
void plantSegment(const zel::api::share::ShareNames& names, mode_t mode, const std::string& bytes)
{
    const int fd = shm_open(names.segment.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(fchmod(fd, mode), 0);
    ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fd);
    close(shm_open(names.liveness.c_str(), O_RDWR | O_CREAT, 0600));
}

std::string segmentBytes(const std::string& name)
{
    const int fd = shm_open(name.c_str(), O_RDONLY, 0);
    std::string bytes(4096, '\0');
    const ssize_t got = fd >= 0 ? pread(fd, bytes.data(), bytes.size(), 0) : -1;
    close(fd);
    bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return bytes;
}

void expectUnsetBy(const zel::api::share::ShareNames& names, const std::string& why)
{
    const std::string before = segmentBytes(names.segment);
    ShareParticipant participant;
    EXPECT_EQ(participant.call('P'), "4");
    EXPECT_EQ(participant.call('G'), "0");
    EXPECT_THAT(participant.call('E'), testing::HasSubstr(why));
    EXPECT_EQ(segmentBytes(names.segment), before);
    shm_unlink(names.segment.c_str());
    shm_unlink(names.liveness.c_str());
}

TEST_F(ShareChannel, SegmentThatCannotBeTrustedLeavesTheChannelUnset)
{
    const std::string junk(sizeof(zel::api::share::ShareSegmentLayout), '\x5A');
    plantSegment(names(), 0644, junk);
    expectUnsetBy(names(), "open to group or others (mode 0644)");

    // Junk in a segment that a live process uses: a layout we do not know.
    plantSegment(names(), 0600, junk);
    const int liveness = shm_open(names().liveness.c_str(), O_RDWR, 0);
    ASSERT_EQ(flock(liveness, LOCK_SH), 0);
    expectUnsetBy(names(), "in use with another layout (magic 0x5A5A5A5A");
    close(liveness);

    if (geteuid() == 0) {
        plantSegment(names(), 0600, junk);
        const int fd = shm_open(names().segment.c_str(), O_RDWR, 0);
        ASSERT_EQ(fchown(fd, 65534, 65534), 0);
        close(fd);
        expectUnsetBy(names(), "belongs to user 65534");
    }

    // The same junk that nobody uses is stale: the channel sets it up afresh.
    plantSegment(names(), 0600, junk);
    ShareParticipant holder, requester;
    requester.send('P');
    EXPECT_EQ(holder.call('W'), "1");
    holder.call('A');
    EXPECT_EQ(requester.reply(), "0");
}

TEST_F(ShareChannel, PrefixThatCannotBeANameLeavesTheChannelUnset)
{
    setenv(zel::api::share::kPrefixVariable, "a/b", 1);
    ShareParticipant participant;
    EXPECT_EQ(participant.call('R'), "4");
    EXPECT_THAT(participant.call('E'), testing::HasSubstr("ZELMOR_SHARE_PREFIX"));
}

}  // namespace
