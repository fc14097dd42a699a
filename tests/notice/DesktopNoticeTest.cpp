// The notice channel end to end: a listener standing in for the desktop program and the
// command-line tool's sender.
#include "notice/DesktopNotice.h"
#include "notice/DesktopNoticeListener.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace zel::notice {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class NoticeChannel : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zel-notice-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        socket_ = folder_ / "zelmor-notice.sock";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    fs::path folder_;
    fs::path socket_;
};

// A callback that blocks until the test lets it go.
class Gate {
public:
    void wait() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return open_; });
    }
    void open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

TEST_F(NoticeChannel, EachCodeRunsItsCallbackBeforeTheAcknowledgement) {
    std::mutex mutex;
    std::vector<int> seen;
    DesktopNoticeListener listener(
        {[&] { std::lock_guard lock(mutex); seen.push_back(1); },
         [&] { std::lock_guard lock(mutex); seen.push_back(2); }},
        socket_);

    ASSERT_TRUE(sendDesktopNoticeTo(socket_, kDevicesTaken, 5s));
    {
        std::lock_guard lock(mutex);
        EXPECT_EQ(seen, std::vector<int>({1}));
    }
    ASSERT_TRUE(sendDesktopNoticeTo(socket_, kDevicesReleased, 5s));
    std::lock_guard lock(mutex);
    EXPECT_EQ(seen, std::vector<int>({1, 2}));
}

TEST_F(NoticeChannel, DefaultPathFollowsTheRuntimeFolder) {
    ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
    std::atomic<int> taken = 0;
    DesktopNoticeListener listener({[&] { ++taken; }, {}});
    EXPECT_EQ(listener.socketPath(), socket_);
    EXPECT_TRUE(sendDesktopNotice(kDevicesTaken));
    EXPECT_EQ(taken.load(), 1);
}

TEST_F(NoticeChannel, NoListenerFailsAtOnce) {
    const auto wait = 20s;
    EXPECT_FALSE(sendDesktopNoticeTo(socket_, kDevicesTaken, wait));

    // A socket file left behind by a desktop program that ended.
    { DesktopNoticeListener listener({}, socket_); }
    int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, socket_.c_str());
    ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(stale);
    ASSERT_TRUE(fs::exists(socket_));
    EXPECT_FALSE(sendDesktopNoticeTo(socket_, kDevicesReleased, wait));

    // The next desktop program replaces the stale socket.
    DesktopNoticeListener listener({}, socket_);
    EXPECT_TRUE(sendDesktopNoticeTo(socket_, kDevicesReleased, wait));
}

TEST_F(NoticeChannel, ListenerThatNeverAcknowledgesFailsAfterTheBound) {
    Gate gate;
    DesktopNoticeListener listener({[&] { gate.wait(); }, {}}, socket_);
    const auto bound = 200ms;
    EXPECT_FALSE(sendDesktopNoticeTo(socket_, kDevicesTaken, bound));
    gate.open();
}

TEST_F(NoticeChannel, SilentPeerThatAcceptsNothingFailsAfterTheBound) {
    // Listening but never accepting: connect and send succeed, the acknowledgement never comes.
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, socket_.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(fd, 4), 0);
    const auto bound = 200ms;
    EXPECT_FALSE(sendDesktopNoticeTo(socket_, kDevicesTaken, bound));
    ::close(fd);
}

TEST_F(NoticeChannel, UnknownCodeAndFailingCallbackAreNotAcknowledged) {
    std::atomic<int> calls = 0;
    DesktopNoticeListener listener({[&] { ++calls; throw std::runtime_error("cannot close"); }, [&] { ++calls; }},
                                   socket_);
    EXPECT_FALSE(sendDesktopNoticeTo(socket_, 3, 5s));
    EXPECT_FALSE(sendDesktopNoticeTo(socket_, 0, 5s));
    EXPECT_EQ(calls.load(), 0);
    EXPECT_FALSE(sendDesktopNoticeTo(socket_, kDevicesTaken, 5s));
    EXPECT_EQ(calls.load(), 1);
    // The listener goes on serving after a failed callback.
    EXPECT_TRUE(sendDesktopNoticeTo(socket_, kDevicesReleased, 5s));
    EXPECT_EQ(calls.load(), 2);
}

TEST_F(NoticeChannel, SecondListenerAndForeignFilesAreRefused) {
    DesktopNoticeListener first({}, socket_);
    EXPECT_THROW(DesktopNoticeListener({}, socket_), std::runtime_error);
    EXPECT_TRUE(sendDesktopNoticeTo(socket_, kDevicesTaken, 5s));

    const fs::path plain = folder_ / "plain";
    std::ofstream(plain) << "not a socket";
    EXPECT_THROW(DesktopNoticeListener({}, plain), std::runtime_error);
    EXPECT_TRUE(fs::exists(plain));
    EXPECT_FALSE(sendDesktopNoticeTo(plain, kDevicesTaken, 5s));
}

TEST_F(NoticeChannel, ListenerRemovesItsSocketWhenItEnds) {
    { DesktopNoticeListener listener({}, socket_); }
    EXPECT_FALSE(fs::exists(socket_));
}

}  // namespace
}  // namespace zel::notice
