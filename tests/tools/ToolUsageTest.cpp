// What a user sees who asks the tools for help or gets an argument wrong: help on standard output
// with status 0; a wrong argument named in one line on standard error, a pointer to --help, the
// tool's usage status, and nothing on standard output.
#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zel::test::runProgram;

struct Tool {
    const char* name;
    const char* path;
};

const Tool kTools[] = {{"zelinfo", ZELINFO_PATH},       {"zelimage", ZELIMAGE_PATH},     {"zelfwbuild", ZELFWBUILD_PATH},
                       {"zelcfgbuild", ZELCFGBUILD_PATH}, {"zelcapture", ZELCAPTURE_PATH}, {"zelsim", ZELSIM_PATH},
                       {"zeltrace", ZELTRACE_PATH},       {"zelterm", ZELTERM_PATH},       {"Zelmor", ZELMOR_PATH}};

TEST(ToolHelp, EveryToolPrintsItsUsageOnStandardOutput)
{
    for (const auto& tool : kTools) {
        SCOPED_TRACE(tool.name);
        const auto run = runProgram(tool.path, {"--help"});
        EXPECT_EQ(run.exitCode, 0);
        const std::string name = tool.name;
        EXPECT_TRUE(run.output.starts_with("Usage: " + name) || run.output.starts_with("usage: " + name)) << run.output;
        EXPECT_EQ(run.errors, "");
    }
    // The desktop program answers before it needs a display.
    const auto desktop = runProgram(ZELMOR_PATH, {"--version"});
    EXPECT_EQ(desktop.exitCode, 0);
    EXPECT_EQ(desktop.output, "Zelmor " ZEL_VERSION "\n");
    // Help after a command word too, where an option parser would take it for an unknown option.
    const auto start = runProgram(ZELSIM_PATH, {"start", "--help"});
    EXPECT_EQ(start.exitCode, 0);
    EXPECT_TRUE(start.output.starts_with("usage: zelsim start")) << start.output;
}

struct Misuse {
    const Tool& tool;
    std::vector<std::string> arguments;
    int status;
    std::string problem;
};

TEST(ToolUsageErrors, NameTheFaultyArgumentInOneLine)
{
    const Tool& info = kTools[0];
    const Tool& image = kTools[1];
    const Tool& fwbuild = kTools[2];
    const Misuse cases[] = {
        {info, {"--bogus"}, 2, "unknown option --bogus"},
        {info, {"--supply", "5", "--device", "1"}, 2, "--supply takes 3.3, 2.5 or 1.8, not 5"},
        {info, {"--supply", "3.3"}, 2, "--supply needs --device N or --serial S"},
        {info, {"--apply", "--device", "1"}, 2, "--apply needs a value"},
        {info, {"--chips", "--device", "1"}, 2, "--device goes with --apply or --supply"},
        {info, {"--supply", "3.3", "--device", "1", "--serial", "1234"}, 2, "--device and --serial do not go together"},
        {info, {"--pause", "--regain"}, 2, "--pause and --regain do not go together"},
        {info, {"--chips", "W25", "Q128"}, 2, "unexpected argument Q128"},
        {image, {"make", "x.bin", "--size", "12k"}, 1, "--size takes a number from 0 to 0xFFFFFFFF, not 12k"},
        {image, {"make", "x.bin"}, 1, "make needs --size N"},
        {image, {"download", "x.bin", "--chip", "c.cfg", "--device", "1", "--device", "2"}, 1,
         "--device is given twice"},
        {image, {"download", "x.bin", "--chip", "c.cfg", "--serial", "Z1"}, 1,
         "--serial takes a serial number as printed (ZL204711, VK002222) or in decimal, not Z1"},
        {image, {"verify", "x.bin", "--chip", "c.cfg", "--device", "1", "--fill", "0xff"}, 1,
         "verify takes neither --fill nor --no-verify"},
        {fwbuild, {"container", "x.vkfw", "--mcu", "2", "--fpga", "2.95"}, 1, "--mcu takes MAJOR.MINOR (each 0..255), not 2"},
        {fwbuild, {"container", "x.vkfw", "--mcu", "2.30"}, 1, "container needs --mcu MAJOR.MINOR and --fpga MAJOR.MINOR"},
        {fwbuild, {"folder", "--mcu", "2.30", "--fpga", "2.95"}, 1, "missing DIR"},
    };
    for (const auto& misuse : cases) {
        SCOPED_TRACE(std::string(misuse.tool.name) + " " + misuse.arguments[0] + " " + misuse.arguments.back());
        const auto run = runProgram(misuse.tool.path, misuse.arguments);
        EXPECT_EQ(run.exitCode, misuse.status);
        const std::string name = misuse.tool.name;
        EXPECT_EQ(run.errors, name + ": " + misuse.problem + "\nTry '" + name + " --help'.\n");
        EXPECT_EQ(run.output, "");
    }
}

}  // namespace
