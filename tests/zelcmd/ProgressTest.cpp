// zelcmd's progress bar, drawn on stderr only while stderr is a terminal, and Ctrl-C: a signal
// stops the running download at its next block and the run ends as after a failed download.
#include "BackgroundChild.h"
#include "ZelcmdTestEnv.h"

#include <chrono>
#include <csignal>
#include <thread>

namespace zel::test {
namespace {

using Clock = std::chrono::steady_clock;

class Progress : public ZelcmdTest {};

TEST_F(Progress, BarOnlyOnATerminalAndStdoutTheSameEitherWay) {
    startSim({"gen=1,speed=20"}, {"--strict"});
    writeFile(file("image.bin"), patternBytes(kChipSize, 7));
    const std::vector<std::string> args{"--set", kChip33, "-d", "image.bin", "-v", "-s"};

    auto plain = zelcmd(args);
    ASSERT_EQ(plain.status, 0) << describe(plain);
    EXPECT_EQ(plain.err, "") << "no terminal, no bar";

    env_->setErrorOnTerminal(true);
    auto drawn = zelcmd(args);
    ASSERT_EQ(drawn.status, 0) << describe(drawn);
    EXPECT_EQ(drawn.out, plain.out);
    for (const char* text : {"Device 1  download", "Device 1  verify", "Device 1  read", " 100%", "2.0 / 2.0 MiB"})
        EXPECT_NE(drawn.err.find(text), std::string::npos) << text << "\n" << drawn.err;
    EXPECT_EQ(sim_->control("violations 0"), "");
}

TEST_F(Progress, InterruptStopsTheDownloadSoonWithItsStatusAndLeavesTheEmulatorUsable) {
    // 16 MiB at 4 MB/s: about four seconds of download left when the signal comes.
    startSim({"gen=1,speed=4"}, {"--strict"});
    const char* chip = "W25Q128JV-IQ";
    writeFile(file("big.bin"), patternBytes(16u << 20, 8));
    BackgroundChild run(env_->commandLine({"--set", chip, "-d", "big.bin", "-v"}));
    ASSERT_TRUE(run.waitFor("Downloading, please wait")) << run.output();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto signalled = Clock::now();
    run.signal(SIGINT);
    const auto r = run.finish(std::chrono::seconds(10));
    const auto took = Clock::now() - signalled;

    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 4) << describe(r);
    EXPECT_LT(took, std::chrono::milliseconds(1500));
    EXPECT_NE(r.out.find("Device 1 : Download Failed"), std::string::npos) << r.out;
    EXPECT_NE((run.output() + r.out).find("  Reason: cancelled on request"), std::string::npos) << run.output() + r.out;
    EXPECT_EQ(r.out.find("Verify"), std::string::npos) << "the run ends at the failed download";
    EXPECT_TRUE(simFree(*sim_, 0)) << "the emulator was released";

    writeFile(file("small.bin"), patternBytes(0x10000, 9));
    auto again = zelcmd({"--set", chip, "-d", "small.bin", "-v"});
    EXPECT_EQ(again.status, 0) << describe(again);
    EXPECT_EQ(sim_->control("violations 0"), "");
}

}  // namespace
}  // namespace zel::test
