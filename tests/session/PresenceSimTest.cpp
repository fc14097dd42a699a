// The presence watcher as the front ends make it (the backend chosen through ZELMOR_SIM) and
// zelinfo --watch, against zelsim unplugging, replugging, stopping and starting.
#include "BackgroundChild.h"
#include "ChangeCounter.h"
#include "ChildProcess.h"
#include "SimProcess.h"
#include "TempDir.h"
#include "presence/PresenceWatcher.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

namespace {

using namespace std::chrono_literals;
using zel::session::presence::PresenceWatcher;
using zel::session::presence::test::ChangeCounter;
using zel::test::BackgroundChild;
using zel::test::SimProcess;

zel::test::ChildResult zelsim(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), SimProcess::zelsimPath().string());
    return zel::test::runChild({arguments, {}, {}, {}, 20s});
}

// zelsim as a user runs it: a daemon started and stopped in one folder, stopped at the end.
class DaemonFolder {
public:
    explicit DaemonFolder(std::filesystem::path folder) : folder_(std::move(folder)) {}
    ~DaemonFolder() { zelsim({"--dir", folder_.string(), "stop"}); }
    DaemonFolder(const DaemonFolder&) = delete;
    DaemonFolder& operator=(const DaemonFolder&) = delete;

    void start() const { expectDone(zelsim({"start", "--dir", folder_.string(), "--device", "gen=1,serial=7"})); }
    void stop() const { expectDone(zelsim({"--dir", folder_.string(), "stop"})); }

private:
    static void expectDone(const zel::test::ChildResult& result) { EXPECT_EQ(result.status, 0) << result.err; }
    std::filesystem::path folder_;
};

TEST(SimPresence, UnplugAndReplugAreSeenButNotTheEmulatorsBeingUsed)
{
    SimProcess sim({"gen=1,serial=1", "gen=2,serial=2"});
    sim.exportEnvironment();
    ChangeCounter counter;
    PresenceWatcher watcher(counter.callback());

    // zelinfo opens, reads and closes every emulator.
    const auto used = zel::test::runChild({{ZELINFO_PATH}, {"ZELMOR_SIM=" + sim.dir().string()}, {}, {}, 20s});
    EXPECT_EQ(used.status, 0) << used.err;
    EXPECT_EQ(counter.settled(), 0);

    sim.control("unplug 1");
    ASSERT_TRUE(counter.waitFor(1));
    sim.control("replug 1");
    ASSERT_TRUE(counter.waitFor(2));
    EXPECT_EQ(counter.settled(), 2);
}

TEST(SimPresence, SimulatorStartingInAFolderNotThereYetStoppingAndRestartingIsSeen)
{
    zel::test::TempDir dir;
    DaemonFolder sim(dir / "sim");
    ::setenv("ZELMOR_SIM", (dir / "sim").c_str(), 1);
    ChangeCounter counter;
    PresenceWatcher watcher(counter.callback());

    sim.start();
    ASSERT_TRUE(counter.waitFor(1));
    sim.stop();
    ASSERT_TRUE(counter.waitFor(2));
    sim.start();
    ASSERT_TRUE(counter.waitFor(3));
    EXPECT_EQ(counter.settled(), 3);
}

TEST(ZelinfoWatch, ListsTheEmulatorsOnEachChangeHoldsThemOnlyMeanwhileAndEndsOnSigint)
{
    SimProcess sim({"gen=1,serial=1234", "gen=2,serial=204711"});
    sim.exportEnvironment();
    BackgroundChild watch(std::vector<std::string>{ZELINFO_PATH, "--watch"});
    EXPECT_EQ(watch.readLine(), "emulators: 2 found, 2 opened; device 1: opened, serial 1234; device 2: opened, serial 204711");
    EXPECT_EQ(sim.control("status").find(" held "), std::string::npos) << sim.control("status");

    sim.control("unplug 0");
    EXPECT_EQ(watch.readLine(), "changed: 1 found, 1 opened; device 1: opened, serial 204711");

    watch.signal(SIGINT);
    const auto result = watch.finish();
    EXPECT_TRUE(result.exited());
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out.ends_with("\nstopped\n")) << result.out;
}

}  // namespace
