// The notices to a running desktop program: 1 before zelcmd opens any emulator, 2 once it has
// let them all go, on every road out of the run.
#include "ZelcmdTestEnv.h"

#include "notice/DesktopNoticeListener.h"

#include <mutex>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace zel::test {
namespace {

struct Notice {
    int code;
    bool deviceFree;  // what the simulator said while the desktop program handled the notice
};

class FakeDesktop {
public:
    FakeDesktop(const fs::path& runtimeDir, const SimProcess* sim)
        : sim_(sim),
          listener_({[this] { record(1); }, [this] { record(2); }}, runtimeDir / "zelmor-notice.sock") {}

    std::vector<Notice> notices() {
        std::lock_guard lock(mutex_);
        return notices_;
    }
    std::vector<int> codes() {
        std::vector<int> result;
        for (const auto& n : notices()) result.push_back(n.code);
        return result;
    }

private:
    void record(int code) {
        const bool free = sim_ == nullptr || simFree(*sim_, 0);
        std::lock_guard lock(mutex_);
        notices_.push_back({code, free});
    }

    const SimProcess* sim_;
    std::mutex mutex_;
    std::vector<Notice> notices_;
    notice::DesktopNoticeListener listener_;
};

class Notices : public ZelcmdTest {};

TEST_F(Notices, TakenBeforeOpeningReleasedAfterClosing) {
    startSim({"gen=1"});
    FakeDesktop desktop(env_->runtimeDir(), sim_.get());
    auto r = zelcmd({"--stop", "--start"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    const auto notices = desktop.notices();
    ASSERT_EQ(notices.size(), 2u) << describe(r);
    EXPECT_EQ(notices[0].code, 1);
    EXPECT_TRUE(notices[0].deviceFree) << "zelcmd held the emulator before the desktop program let it go";
    EXPECT_EQ(notices[1].code, 2);
    EXPECT_TRUE(notices[1].deviceFree) << "zelcmd still held the emulator when it said it had finished";
}

TEST_F(Notices, SentOnEveryRoadOut) {
    startSim({"gen=1"});
    FakeDesktop desktop(env_->runtimeDir(), sim_.get());
    const std::vector<std::pair<std::vector<std::string>, int>> runs = {
        {{"--bogus"}, 99},                  // rejected command line
        {{"-v"}, 99},                       // combination error
        {{"--set", "NO_SUCH_CHIP"}, 3},     // failed step
        {{"--hold", "1"}, 13},              // hold gate
        {{"-h"}, 0},                        // help
    };
    for (const auto& [args, status] : runs) {
        const auto before = desktop.codes().size();
        auto r = zelcmd(args);
        ASSERT_TRUE(r.exited()) << describe(r);
        EXPECT_EQ(r.status, status) << describe(r);
        const auto codes = desktop.codes();
        EXPECT_EQ(std::vector<int>(codes.begin() + static_cast<long>(before), codes.end()), std::vector<int>({1, 2}))
            << args[0];
    }
}

TEST_F(Notices, NoDeviceStillNotifies) {
    env_ = std::make_unique<ZelcmdProcess>();
    FakeDesktop desktop(env_->runtimeDir(), nullptr);
    auto r = zelcmd({"--stop"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, "No device is connected!\n");
    EXPECT_EQ(desktop.codes(), std::vector<int>({1, 2}));
}

TEST_F(Notices, DesktopThatNeverAnswersDoesNotStopTheRun) {
    startSim({"gen=1"});
    // Listening but never accepting: each notice waits out its bound, then the run goes on.
    const auto path = (env_->runtimeDir() / "zelmor-notice.sock").string();
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(fd, 4), 0);
    auto r = zelcmd({"--stop", "--start"});
    ::close(fd);
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_TRUE(simRunning(*sim_, 0));
}

}  // namespace
}  // namespace zel::test
