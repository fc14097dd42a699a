// zelinfo against a running simulator: what a user of scripts/demo sees.
#include "ProgramRun.h"
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>
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
    const auto second = text.find("device 2: opened\n");
    ASSERT_NE(second, std::string::npos) << text;
    const std::string first = text.substr(0, second);
    const std::string g2 = text.substr(second);
    EXPECT_TRUE(contains(first, "device 1: opened\n  firmware version: 0x021E025F\n")) << text;
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
    EXPECT_TRUE(contains(run.output, "devices opened: 1\ncurrent index: 1\ndevice 1: not opened\ndevice 2: opened\n"))
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
    EXPECT_TRUE(contains(again.output, "device 1: opened\n")) << again.output;
}

// The same two emulators started in either order: --serial finds one wherever enumeration put
// it, and --device takes the number the report shows for it.
TEST(Zelinfo, SupplyReachesTheEmulatorNamedBySerialOrNumberInEitherOrder)
{
    for (const bool g2First : {false, true}) {
        SCOPED_TRACE(g2First ? "G2 first" : "G2 second");
        std::vector<std::string> devices{"gen=1,serial=1234", "gen=2,serial=204711"};
        if (g2First)
            std::swap(devices[0], devices[1]);
        SimProcess sim(devices);
        sim.exportEnvironment();
        const int g2 = g2First ? 0 : 1;  // zelsim counts from 0
        const int other = 1 - g2;

        const auto bySerial = runProgram(ZELINFO_PATH, {"--supply", "1.8", "--serial", "ZL204711"});
        EXPECT_EQ(bySerial.exitCode, 0) << bySerial.errors;
        EXPECT_EQ(bySerial.output, "device " + std::to_string(g2 + 1) + ": target supply set to 1.8 V\n");
        EXPECT_TRUE(contains(sim.control("pins " + std::to_string(g2)), "supply=1800\n"));
        EXPECT_FALSE(contains(sim.control("pins " + std::to_string(other)), "supply=1800\n"));

        const auto report = runProgram(ZELINFO_PATH, {}).output;
        const std::string otherNumber = std::to_string(other + 1);
        const auto entry = report.find("device " + otherNumber + ": opened\n");
        ASSERT_NE(entry, std::string::npos) << report;
        EXPECT_EQ(report.find("serial number: 1234\n", entry), report.find("serial number: ", entry)) << report;
        EXPECT_EQ(runProgram(ZELINFO_PATH, {"--supply", "2.5", "--device", otherNumber}).exitCode, 0);
        EXPECT_TRUE(contains(sim.control("pins " + std::to_string(other)), "supply=2500\n"));
        EXPECT_TRUE(contains(sim.control("pins " + std::to_string(g2)), "supply=1800\n"));
    }
}

TEST(Zelinfo, DeviceNumbersRunFromOneOverEveryEmulatorFound)
{
    SimProcess sim({"gen=1,serial=1234", "gen=2,serial=204711"});
    sim.exportEnvironment();
    const std::string usage = "\nTry 'zelinfo --help'.\n";
    for (const char* number : {"0", "3"}) {
        const auto run = runProgram(ZELINFO_PATH, {"--supply", "3.3", "--device", number});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.errors, "zelinfo: --device takes a number from 1 to 2 (the emulators found), not " +
                                  std::string(number) + usage);
    }
    const auto unknown = runProgram(ZELINFO_PATH, {"--apply", "x.cfg", "--serial", "VK000999"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.errors, "zelinfo: --serial VK000999: no emulator with serial number 999 is attached" + usage);

    // One held elsewhere still counts: device 1 is it, device 2 the free one.
    sim.control("hold 0");
    const auto held = runProgram(ZELINFO_PATH, {"--supply", "1.8", "--device", "1"});
    EXPECT_EQ(held.exitCode, 1);
    EXPECT_EQ(held.errors, "zelinfo: device 1 is not opened\n");
    EXPECT_EQ(runProgram(ZELINFO_PATH, {"--supply", "1.8", "--serial", "204711"}).output,
              "device 2: target supply set to 1.8 V\n");
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

