// zeltrace as a user runs it: decode writes the golden texts, stats reports the capture, and
// every failure has its exit status and a message.
#include <gtest/gtest.h>

#include "ProgramRun.h"
#include "TempDir.h"

namespace {

using zel::test::runProgram;

const std::string kTool = ZELTRACE_PATH;
const std::string kGolden = ZEL_TRACE_GOLDEN_DIR;
const std::string kCapture = kGolden + "/records.zeltrace";
const std::string kTables = ZEL_TRACE_TABLE_DIR;

std::string golden(const char* name) { return zel::test::readBytes(kGolden + "/" + name); }

TEST(Zeltrace, DecodeWritesEachLayoutOfTheGoldenCapture) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{}, "full_plain.txt"},
        {{"--translate"}, "full_translated.txt"},
        {{"--continuous", "--translate"}, "continuous_translated.txt"},
        {{"--conditions", "471", "--start", "0", "--end", "0x20000", "--special", "eb"}, "result_plain.txt"},
    };
    for (const auto& [options, file] : cases) {
        std::vector<std::string> args = {"decode", kCapture, "--tables", kTables};
        args.insert(args.end(), options.begin(), options.end());
        const auto run = runProgram(kTool, args);
        EXPECT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_EQ(run.output, golden(file)) << file;
    }
    zel::test::TempDir dir;
    const auto toFile = runProgram(kTool, {"decode", kCapture, "-o", (dir / "out.txt").string()});
    EXPECT_EQ(toFile.exitCode, 0) << toFile.errors;  // tables from beside the program
    EXPECT_EQ(zel::test::readBytes(dir / "out.txt"), golden("full_plain.txt"));
}

TEST(Zeltrace, StatsCountsTransactionsAndMergesAddressRanges) {
    const auto run = runProgram(kTool, {"stats", kCapture, "--tables", kTables});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_NE(run.output.find("records: 45 (17 transactions, 1 empty, 1 breaks)"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("time: 0.00000100 s to 2814749.76710655 s"), std::string::npos);
    EXPECT_NE(run.output.find("0B                 3            22  Fast Read\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("03  0x00001000-0x00001007 0x00002000-0x00002002\n"), std::string::npos);
    EXPECT_NE(run.output.find("13  0x01001000-0x01001002\n"), std::string::npos);  // 4-byte opcode, masked
    EXPECT_NE(run.output.find("EB  0x00001234-0x00001238\n"), std::string::npos);  // from the decoded samples
}

TEST(Zeltrace, FailuresHaveTheirExitStatusAndSayWhy) {
    zel::test::TempDir dir;
    zel::test::writeBytes(dir / "bad.zeltrace", "not a capture at all, but long enough to be one");
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{}, 2, "a subcommand is needed"},
        {{"replay"}, 2, "unknown subcommand replay"},
        {{"decode"}, 2, "missing FILE"},
        {{"decode", kCapture, "--bogus"}, 2, "unknown option --bogus"},
        {{"decode", kCapture, "--special", "1FF"}, 2, "--special takes a hexadecimal number up to FF"},
        {{"decode", kCapture, "--start", "10"}, 2, "need --conditions or --special"},
        {{"decode", kCapture, "--continuous", "--conditions", "1"}, 2, "takes no filter"},
        {{"decode", (dir / "bad.zeltrace").string()}, 1, "no ZELTRACE signature"},
        {{"stats", (dir / "missing.zeltrace").string()}, 1, "cannot read"},
        {{"stats", kCapture, "--tables", dir.path().string()}, 1, "cannot read the command table"},
        {{"decode", kCapture, "-o", dir.path().string()}, 1, "cannot write"},
    };
    for (const auto& c : cases) {
        const auto run = runProgram(kTool, c.args);
        EXPECT_EQ(run.exitCode, c.status) << run.errors;
        EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
        EXPECT_TRUE(run.output.empty()) << run.output;
    }
    for (const std::vector<std::string>& help : {std::vector<std::string>{"--help"}, {"decode", "--help"}, {"stats", "-h"}}) {
        const auto run = runProgram(kTool, help);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.output.rfind("Usage: zeltrace", 0), 0u) << run.output;
        EXPECT_TRUE(run.errors.empty());
    }
}

}  // namespace
