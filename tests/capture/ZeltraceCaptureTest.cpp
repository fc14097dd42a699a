// zeltrace capture against zelsim: the emulator chosen by --device is the one captured (the
// API's indexed trace read-out), a record limit gives exactly that many records in the raw file,
// in order and without a gap, the continuous text written while capturing is the text decode
// makes of the file afterwards, and a file that cannot be created ends the command with an error
// line naming it.
#include "BackgroundChild.h"
#include "SimProcess.h"
#include "TempDir.h"
#include "trace/TraceFile.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

std::string scriptPath() { return std::string(ZEL_SOURCE_DIR) + "/sim/scripts/stream.zts"; }

TEST(ZeltraceCapture, CapturesTheChosenEmulatorUpToTheRecordLimit) {
    zel::test::SimProcess sim({"gen=1,serial=1234", "gen=2,serial=204711"});
    sim.exportEnvironment(std::chrono::milliseconds(20000));
    const auto file = sim.dir() / "stream.zeltrace";
    const auto text = sim.dir() / "stream.txt";
    constexpr int kRecords = 50000;
    zel::test::BackgroundChild zeltrace({ZELTRACE_PATH, "capture", file.string(), "--device", "2", "--ring", "--records",
                                         std::to_string(kRecords), "--text", text.string()});
    ASSERT_TRUE(zeltrace.waitFor("capturing")) << zeltrace.output();
    sim.control("target-run 1 " + scriptPath() + " 200000 0");
    const auto result = zeltrace.finish(std::chrono::seconds(30));
    sim.control("target-stop 1");
    ASSERT_EQ(result.status, 0) << zeltrace.output() << result.out;
    EXPECT_NE((zeltrace.output() + result.out).find("records captured: " + std::to_string(kRecords)), std::string::npos);
    EXPECT_NE(sim.control("trace-counters 0").find("produced=0"), std::string::npos) << "device 1 was not the one asked for";

    const auto read = zel::trace::readTraceFile(file);
    ASSERT_TRUE(read.ok()) << read.error().message;
    const auto& capture = read.capture();
    EXPECT_EQ(capture.info.model, zel::trace::EmulatorModel::G2);
    EXPECT_EQ(capture.info.mode, zel::trace::CaptureMode::Ring);
    ASSERT_EQ(capture.records.size(), size_t{kRecords} * 8);
    // Each step of the script is a timestamp record and a Fast Read carrying the step's number.
    std::optional<uint32_t> last;
    size_t gaps = 0, reads = 0;
    for (size_t at = 0; at < capture.records.size(); at += 8) {
        const uint8_t* r = capture.records.data() + at;
        if (r[0] == 0xFF || r[2] != 0x0B) continue;
        ++reads;
        const uint32_t number = uint32_t{r[3]} << 24 | uint32_t{r[4]} << 16 | uint32_t{r[5]} << 8 | r[6];
        gaps += last && number != *last + 1;
        last = number;
    }
    EXPECT_EQ(gaps, 0u);
    EXPECT_GE(reads, size_t{kRecords} / 2 - 1);

    const auto decoded = sim.dir() / "decoded.txt";
    zel::test::BackgroundChild decode({ZELTRACE_PATH, "decode", file.string(), "--continuous", "-o", decoded.string()});
    ASSERT_EQ(decode.finish().status, 0) << decode.output();
    EXPECT_TRUE(zel::test::readBytes(text) == zel::test::readBytes(decoded))
        << "the continuous text differs from the decoded capture";
}

TEST(ZeltraceCapture, AFileThatCannotBeCreatedEndsItWithAnError) {
    zel::test::SimProcess sim({"gen=2"});
    sim.exportEnvironment();
    const auto file = sim.dir() / "missing" / "x.zeltrace";
    zel::test::BackgroundChild zeltrace({ZELTRACE_PATH, "capture", file.string()});
    const auto result = zeltrace.finish();
    EXPECT_EQ(result.status, 1);
    const std::string said = zeltrace.output() + result.out + result.err;
    EXPECT_NE(said.find("Error: " + file.string()), std::string::npos) << said;
    EXPECT_EQ(said.find("capturing"), std::string::npos) << "nothing is captured into a file that is not there";
}

}  // namespace
