// zelimage against a running simulator: the emulator --serial or --device names is the one whose
// memory the image lands in.
#include "ProgramRun.h"
#include "SimProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using zel::test::runProgram;
using zel::test::SimProcess;

const std::string kChip = std::string(ZEL_SAMPLES_DIR) + "/W25Q16JV.cfg";
const std::string kErased = "ffffffffffffffffffffffffffffffff\n";

class ZelimageDownload : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(runProgram(ZELIMAGE_PATH, {"make", image, "--size", "4096", "--seed", "3"}).exitCode, 0);
    }

    zel::test::ProgramResult download(const std::string& option, const std::string& value) const
    {
        return runProgram(ZELIMAGE_PATH, {"download", image, "--chip", kChip, option, value});
    }

    zel::test::TempDir folder;
    const std::string image = (folder.path() / "image.bin").string();
};

TEST_F(ZelimageDownload, SerialReachesTheSameEmulatorInEitherOrder)
{
    for (const bool g2First : {false, true}) {
        SCOPED_TRACE(g2First ? "G2 first" : "G2 second");
        std::vector<std::string> devices{"gen=1,serial=1234", "gen=2,serial=204711"};
        if (g2First)
            std::swap(devices[0], devices[1]);
        SimProcess sim(devices);
        sim.exportEnvironment();
        const int g2 = g2First ? 0 : 1;  // zelsim counts from 0

        const auto run = download("--serial", "(ZL204711)");
        EXPECT_EQ(run.exitCode, 0) << run.output << run.errors;
        EXPECT_NE(run.output.find("on device " + std::to_string(g2 + 1) + " target 1\n"), std::string::npos)
            << run.output;
        const std::string written = sim.control("mem " + std::to_string(g2) + " 0 16");
        EXPECT_NE(written, kErased);
        EXPECT_EQ(sim.control("mem " + std::to_string(1 - g2) + " 0 16"), kErased);

        // By number, the other one: the first 16 bytes match what went to the G2 emulator.
        EXPECT_EQ(download("--device", std::to_string(2 - g2)).exitCode, 0);
        EXPECT_EQ(sim.control("mem " + std::to_string(1 - g2) + " 0 16"), written);
    }
}

TEST_F(ZelimageDownload, NamingNoEmulatorFoundIsAnArgumentError)
{
    SimProcess sim({"gen=1,serial=1234", "gen=2,serial=204711"});
    sim.exportEnvironment();
    const std::string usage = "\nTry 'zelimage --help'.\n";
    for (const char* number : {"0", "3"}) {
        const auto run = download("--device", number);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.errors, "zelimage: --device takes a number from 1 to 2 (the emulators found), not " +
                                  std::string(number) + usage);
        EXPECT_EQ(run.output, "");
    }
    const auto unknown = download("--serial", "ZL7");
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.errors, "zelimage: --serial ZL7: no emulator with serial number 7 is attached" + usage);
    EXPECT_EQ(sim.control("mem 0 0 16"), kErased);
    EXPECT_EQ(sim.control("mem 1 0 16"), kErased);
}

}  // namespace
