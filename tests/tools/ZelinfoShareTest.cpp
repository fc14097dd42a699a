// zelinfo as both ends of the share channel: a script pauses the program that holds the emulator,
// uses the emulator itself, and gives it back.
#include "BackgroundChild.h"
#include "ProgramRun.h"
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace {

using zel::test::BackgroundChild;
using zel::test::runProgram;
using zel::test::SimProcess;

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// A share channel of this test's own, removed afterwards.
class PrivateShareChannel {
public:
    PrivateShareChannel() : prefix_("zeltest." + std::to_string(getpid()) + ".zelinfo.")
    {
        setenv("ZELMOR_SHARE_PREFIX", prefix_.c_str(), 1);
    }
    ~PrivateShareChannel()
    {
        const std::string segment = "/" + prefix_ + "ZelmorProSharedMem." + std::to_string(geteuid());
        shm_unlink(segment.c_str());
        shm_unlink((segment + ".live").c_str());
    }

private:
    std::string prefix_;
};

TEST(ZelinfoShare, ScriptPausesTheHolderUsesTheEmulatorAndRegainsIt)
{
    SimProcess sim({"gen=1"});
    sim.exportEnvironment();
    PrivateShareChannel channel;
    BackgroundChild holder(std::vector<std::string>{ZELINFO_PATH, "--serve"});
    ASSERT_TRUE(holder.waitFor("serving pause and regain requests\n")) << holder.output();
    EXPECT_TRUE(contains(sim.control("status"), " held ")) << sim.control("status");

    const auto pause = runProgram(ZELINFO_PATH, {"--pause"});
    EXPECT_EQ(pause.exitCode, 0);
    EXPECT_EQ(pause.output, "pause: 0, the holder answered\n");
    EXPECT_TRUE(holder.waitFor("pause: emulators released\n")) << holder.output();
    EXPECT_TRUE(contains(sim.control("status"), " free ")) << sim.control("status");

    // The script's own use of the released emulator.
    const auto use = runProgram(ZELINFO_PATH, {"--supply", "3.3", "--device", "1"});
    EXPECT_EQ(use.exitCode, 0) << use.output;
    EXPECT_TRUE(contains(sim.control("pins 0"), "supply=3300\n"));

    const auto regain = runProgram(ZELINFO_PATH, {"--regain"});
    EXPECT_EQ(regain.exitCode, 0);
    EXPECT_EQ(regain.output, "regain: 0, the holder answered\n");
    EXPECT_TRUE(holder.waitFor("regain: 1 emulators opened\n")) << holder.output();
    EXPECT_TRUE(contains(sim.control("status"), " held ")) << sim.control("status");

    holder.signal(SIGTERM);
    const auto served = holder.finish();
    EXPECT_EQ(served.status, 0);
    EXPECT_TRUE(contains(served.out, "stopped\n")) << served.out;

    const auto unanswered = runProgram(ZELINFO_PATH, {"--pause"});
    EXPECT_EQ(unanswered.exitCode, 1);
    EXPECT_TRUE(contains(unanswered.output, "pause: 1, no answer within 500 ms")) << unanswered.output;
}

}  // namespace
