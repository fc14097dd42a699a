// zelterm against a simulated target: every message type printed with its text, standard input
// reaching the target byte for byte, a megabyte burst arriving whole, and an unplugged emulator
// ending the session cleanly.
#include "BackgroundChild.h"
#include "ProgramRun.h"
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace zel::test {
namespace {

using namespace std::chrono_literals;

std::string script(const char* name) { return std::string(ZEL_SIM_SCRIPTS) + "/" + name; }
std::string table(const char* name) { return std::string(ZEL_TERMINAL_TABLES) + "/" + name; }

TEST(ZeltermUsage, HelpOnStandardOutputAndFaultsNamedWithTheirStatus) {
    const auto help = runProgram(ZELTERM_PATH, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.output.starts_with("Usage: zelterm")) << help.output;
    const std::pair<std::vector<std::string>, std::string> misuses[] = {
        {{"--bogus"}, "zelterm: unknown option --bogus\n"},
        {{"--opcode", "zz"}, "zelterm: --opcode takes a hex byte, not zz\n"},
        {{"--opcode", "e5", "--page-program"}, "zelterm: --opcode and --page-program exclude each other\n"},
        {{"--seconds", "0"}, "zelterm: --seconds takes a number from 1 to 31536000, not 0\n"}};
    for (const auto& [arguments, problem] : misuses) {
        const auto run = runProgram(ZELTERM_PATH, arguments);
        EXPECT_EQ(run.exitCode, 2) << problem;
        EXPECT_TRUE(run.errors.starts_with(problem)) << run.errors;
        EXPECT_EQ(run.output, "");
    }
    const auto missing = runProgram(ZELTERM_PATH, {"--lookup", "/nonexistent/lookup.txt"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.errors.starts_with("zelterm: cannot read /nonexistent/lookup.txt: ")) << missing.errors;
}

class Zelterm : public ::testing::Test {
protected:
    // Device 0 holds a powered 16 MiB chip; the target reaches the terminal through op-code 0xE5.
    void SetUp() override {
        sim_.emplace(std::vector<std::string>{"gen=1", "pid=0x1234"});
        sim_->exportEnvironment(1000ms);
        for (auto setting : {"0x40 0xef", "0x41 0x4018", "0x42 24", "0x44 1", "0x28 1"})
            sim_->control(std::string("set-reg 0 ") + setting);
        ASSERT_EQ(runProgram(ZELINFO_PATH, {"--supply", "3.3", "--device", "1"}).exitCode, 0) << "the chip powered";
    }
    BackgroundChild& start(std::vector<std::string> extra = {}) {
        std::vector<std::string> argv{ZELTERM_PATH, "--opcode", "e5"};
        argv.insert(argv.end(), extra.begin(), extra.end());
        auto& child = child_.emplace(argv);
        EXPECT_TRUE(child.waitFor("Starting SPI Hyper Terminal...")) << child.output();
        return child;
    }
    void runTarget(const std::string& file) {
        sim_->control("target-run 0 " + file);
        for (int i = 0; i < 3000 && sim_->control("target-status 0").rfind("running=1", 0) == 0; ++i)
            std::this_thread::sleep_for(10ms);
    }
    std::optional<SimProcess> sim_;
    std::optional<BackgroundChild> child_;
};

TEST_F(Zelterm, PrintsEveryMessageTypeAndSendsItsInputToTheTarget) {
    auto& child = start({"--lookup", table("lookup.txt"), "--checkpoints", table("checkpoints.txt"), "--translate"});
    child.send("hello");
    for (int i = 0; i < 500 && sim_->control("terminal 0").find("down=5") == std::string::npos; ++i)
        std::this_thread::sleep_for(10ms);
    runTarget(script("terminal_types.zts"));
    ASSERT_TRUE(child.waitFor("type 5 text: done")) << child.output() << sim_->control("target-status 0") << sim_->control("terminal 0");
    EXPECT_NE(sim_->control("terminal 0").find("received=68656c6c6f\n"), std::string::npos)
        << "exactly the bytes typed";
    child.signal(SIGTERM);
    const auto result = child.finish();
    EXPECT_EQ(result.status, 0) << child.output();
    const std::string& out = child.output();
    for (const char* line : {"type 1 check-point: a0b1 Memory initialised\n", "type 2 check-point: 01 Power on\n",
                             "type 3 check-point: 7e7f Boot loader done\n", "type 4 hex: 01 02 03 04 05 06 07 08\n",
                             "type 5 text: Hello, host!\n", "type 6 time: 1.05000000 Seconds\n",
                             "type 7 look-up: Supply voltage is 7 volt\n", "Stop SPI Hyper Terminal...\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line << "in:\n" << out;
    EXPECT_EQ(sim_->reg(0, 0x82), 0xE5) << "the dedicated op-code";
}

TEST_F(Zelterm, AMegabyteBurstArrivesWhole) {
    auto& child = start();
    std::string first;
    for (int k = 0; k < 249; ++k) first += (k ? " " : "") + std::string(1, "0123456789abcdef"[k >> 4]) + "0123456789abcdef"[k & 15];
    const std::string expected = "type 4 hex: " + first;
    // 4,112 messages of 249 data bytes (1 MiB) at 2 MB/s; the output is read as it comes.
    sim_->control("target-run 0 " + script("terminal255.zts") + " 7843 4112");
    size_t whole = 0, other = 0;
    while (whole + other < 4112) {
        const auto line = child.readLine(5s);
        if (!line) break;
        if (line->starts_with("type ")) ++(*line == expected ? whole : other);
    }
    EXPECT_EQ(whole, 4112u);
    EXPECT_EQ(other, 0u);
    EXPECT_EQ(sim_->control("target-status 0").rfind("running=0 steps=4112", 0), 0u) << sim_->control("target-status 0");
    child.signal(SIGINT);
    EXPECT_EQ(child.finish().status, 0);
    EXPECT_EQ(child.output().find("skipped"), std::string::npos);
}

TEST_F(Zelterm, AnUnpluggedEmulatorEndsTheSessionWithAMessage) {
    auto& child = start();
    sim_->control("unplug 0");
    const auto result = child.finish(20s);
    EXPECT_TRUE(result.exited());
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(child.output().find("zelterm: USB Error: Stop SPI Hyper Terminal..."), std::string::npos)
        << child.output();
}

}  // namespace
}  // namespace zel::test
