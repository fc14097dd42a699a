// The share channel's locks and waits inside one process: several threads on one joined segment.
// Built from the channel's own sources, so that it also runs under ThreadSanitizer.
#include "share/ShareChannel.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using zel::api::share::ShareChannel;
using zel::api::share::ShareNames;
using zel::api::share::ShareSegment;
using Clock = std::chrono::steady_clock;

class ShareWait : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        std::string reason;
        names_ = *zel::api::share::shareNamesFor(
            "zeltest." + std::to_string(getpid()) + ".wait" + std::to_string(++counter) + ".", geteuid(), reason);
    }
    void TearDown() override
    {
        shm_unlink(names_.segment.c_str());
        shm_unlink(names_.liveness.c_str());
    }
    std::unique_ptr<ShareChannel> join()
    {
        std::string reason;
        auto segment = ShareSegment::join(names_, 1s, reason);
        EXPECT_TRUE(segment) << reason;
        return segment ? std::make_unique<ShareChannel>(std::move(segment)) : nullptr;
    }

    ShareNames names_;
};

void ignoreSignal(int) {}

// Interrupts one thread with SIGUSR1 every 2 ms for at most 3 s, until stopped.
class Interrupter {
public:
    explicit Interrupter(pthread_t target)
        : thread_([this, target] {
              const auto end = Clock::now() + 3s;
              while (!stop_ && Clock::now() < end) {
                  pthread_kill(target, SIGUSR1);
                  std::this_thread::sleep_for(2ms);
              }
          })
    {
    }
    ~Interrupter()
    {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST_F(ShareWait, SignalsNeitherEndNorStretchTheWaits)
{
    struct sigaction action {};
    action.sa_handler = ignoreSignal;  // no SA_RESTART: every wait sees EINTR
    sigaction(SIGUSR1, &action, nullptr);
    auto channel = join();
    ASSERT_TRUE(channel);
    Interrupter interrupter(pthread_self());

    auto start = Clock::now();
    EXPECT_EQ(channel->poll(), 0u);
    EXPECT_GE(Clock::now() - start, 10ms);
    start = Clock::now();
    EXPECT_EQ(channel->request(zel::api::share::kPause, ShareChannel::kPauseLockWait), ShareChannel::kNoAnswer);
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 500ms);
    EXPECT_LT(waited, 2500ms);  // a wait restarted in full after each signal would outlast the signals
}

TEST_F(ShareWait, RequestsFromManyThreadsEachGetTheirOwnAnswer)
{
    auto channel = join();
    ASSERT_TRUE(channel);
    constexpr int kRequestsPerThread = 40;
    std::atomic<bool> done{false};
    std::atomic<int> pauses{0}, regains{0};
    std::thread holder([&] {
        while (!done) {
            const uint32_t code = channel->poll();
            (code == zel::api::share::kPause ? pauses : regains) += code != 0 ? 1 : 0;
            channel->answer();
        }
    });
    std::vector<std::thread> requesters;
    std::atomic<int> answered{0};
    for (const auto code : {zel::api::share::kPause, zel::api::share::kRegain}) {
        requesters.emplace_back([&, code] {
            for (int i = 0; i < kRequestsPerThread; ++i)
                answered += channel->request(code, 2s) == ShareChannel::kAnswered ? 1 : 0;
        });
    }
    for (auto& requester : requesters)
        requester.join();
    done = true;
    holder.join();
    EXPECT_EQ(answered, 2 * kRequestsPerThread);
    EXPECT_EQ(pauses, kRequestsPerThread);
    EXPECT_EQ(regains, kRequestsPerThread);
}

TEST_F(ShareWait, PostThatOutlivedItsRequestIsNoRequest)
{
    auto channel = join();
    ASSERT_TRUE(channel);
    EXPECT_EQ(channel->request(zel::api::share::kRegain, ShareChannel::kRegainLockWait), ShareChannel::kNoAnswer);
    EXPECT_EQ(channel->poll(), zel::api::share::kRegain);
    // A holder that takes the newer request from an older request's post leaves the newer post.
    sem_post(&channel->shared().requestPosted);
    EXPECT_EQ(channel->poll(), 0u);  // serving it again would close or renumerate twice
}

TEST_F(ShareWait, JoinGivesUpOnASetUpThatNeverEnds)
{
    const int segment = shm_open(names_.segment.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(flock(segment, LOCK_EX), 0);  // as a joiner stuck half-way would hold it
    std::string reason;
    const auto start = Clock::now();
    EXPECT_FALSE(ShareSegment::join(names_, 100ms, reason));
    EXPECT_GE(Clock::now() - start, 100ms);
    EXPECT_NE(reason.find("still being set up by another process after 100 ms"), std::string::npos) << reason;
    close(segment);
    EXPECT_TRUE(join());
}

}  // namespace
