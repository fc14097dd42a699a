// zelinfo against a running simulator: what a user of scripts/demo sees.
#include "ProgramRun.h"
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace {

using zel::test::runProgram;
using zel::test::SimProcess;

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(Zelinfo, ListsEveryEmulatorWithItsIdentity)
{
    SimProcess sim({"gen=1,serial=4321,hw=2", "gen=2,serial=654321,hw=5"});
    sim.exportEnvironment();
    const auto run = runProgram(ZELINFO_PATH, {});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string& text = run.output;
    EXPECT_TRUE(contains(text, "devices opened: 2\ncurrent index: 0\n")) << text;
    const auto second = text.find("device 1: opened\n");
    ASSERT_NE(second, std::string::npos) << text;
    const std::string first = text.substr(0, second);
    const std::string g2 = text.substr(second);
    EXPECT_TRUE(contains(first, "device 0: opened\n  firmware version: 0x021E025F\n")) << text;
    EXPECT_TRUE(contains(first, "FPGA: major 2, minor 95\n    MCU: major 2, minor 30\n")) << text;
    EXPECT_TRUE(contains(first, "generation: first generation\n  hardware version: 2\n")) << text;
    EXPECT_TRUE(contains(first, "product name: ZelmorPro\n  serial number: 4321\n")) << text;
    EXPECT_TRUE(contains(g2, "firmware version: 0x0305025F\n")) << text;
    EXPECT_TRUE(contains(g2, "MCU: major 3, minor 5\n    generation: G2\n  hardware version: 5\n")) << text;
    EXPECT_TRUE(contains(g2, "serial number: 654321\n")) << text;
}

TEST(Zelinfo, EmulatorHeldElsewhereIsListedAsNotOpened)
{
    SimProcess sim({"gen=1", "gen=2,blank=1"});
    sim.control("hold 0");
    sim.exportEnvironment();
    const auto run = runProgram(ZELINFO_PATH, {});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "devices opened: 1\ncurrent index: 1\ndevice 0: not opened\ndevice 1: opened\n"))
        << run.output;
    EXPECT_TRUE(contains(run.output, "serial number: N.A\n")) << run.output;
}

TEST(Zelinfo, ReleasesTheEmulatorsWhenDone)
{
    SimProcess sim({"gen=1"});
    sim.exportEnvironment();
    ASSERT_EQ(runProgram(ZELINFO_PATH, {}).exitCode, 0);
    // A second run can open the emulator again only if the first one let it go.
    const auto again = runProgram(ZELINFO_PATH, {});
    EXPECT_TRUE(contains(again.output, "device 0: opened\n")) << again.output;
}

TEST(Zelinfo, NoEmulatorAndBadArguments)
{
    char pattern[] = "/tmp/zelinfo-empty-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    setenv("ZELMOR_SIM", pattern, 1);
    const auto none = runProgram(ZELINFO_PATH, {});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.output, "devices opened: 0\ncurrent index: 0\n");
    rmdir(pattern);
    EXPECT_EQ(runProgram(ZELINFO_PATH, {"--bogus"}).exitCode, 2);
    EXPECT_TRUE(contains(runProgram(ZELINFO_PATH, {"--help"}).output, "Usage: zelinfo"));
}

}  // namespace

