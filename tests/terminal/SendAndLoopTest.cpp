// The terminal's device side without a device: the dFIFO sender's pieces and its honesty about
// bytes the target never took, the upload thread's pause (no transfer while paused, bounded
// waits) and its end on a failed transfer, and Save Log's checks.
#include "TempDir.h"
#include "terminal/DownSend.h"
#include "terminal/LogFile.h"
#include "terminal/UploadLoop.h"

#include <gtest/gtest.h>

#include <atomic>

namespace zel::terminal {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

TEST(TerminalSend, HexTextBecomesBytesOrSaysWhatIsWrong) {
    std::string problem;
    EXPECT_EQ(*parseHexBytes("01 02,aB:ff\n", problem), (Bytes{0x01, 0x02, 0xAB, 0xFF}));
    EXPECT_EQ(*parseHexBytes("0102", problem), (Bytes{1, 2}));
    EXPECT_FALSE(parseHexBytes("0 1", problem));
    EXPECT_EQ(problem, "not a pair of hex digits at character 2");
    EXPECT_FALSE(parseHexBytes("012", problem));
    EXPECT_EQ(problem, "an odd number of hex digits");
}

TEST(TerminalSend, LongWritesGoInPiecesAndShortTakesAreRetriedThenReported) {
    Bytes data(600);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
    Bytes device;
    std::vector<size_t> pieces;
    auto result = sendInPieces(data, [&](std::span<const uint8_t> piece) {
        pieces.push_back(piece.size());
        device.insert(device.end(), piece.begin(), piece.end());
        return piece.size();
    });
    EXPECT_EQ(pieces, (std::vector<size_t>{255, 255, 90}));
    EXPECT_EQ(device, data);
    EXPECT_TRUE(result.complete());

    // The device keeps 100 bytes a call: the rest of each piece is sent again, in order.
    device.clear();
    result = sendInPieces(data, [&](std::span<const uint8_t> piece) {
        const size_t kept = std::min<size_t>(100, piece.size());
        device.insert(device.end(), piece.begin(), piece.begin() + kept);
        return kept;
    }, {1ms, 1000ms});
    EXPECT_EQ(device, data);
    EXPECT_EQ(result.pieces, 6u);

    // A full dFIFO that never drains: what went down is reported, not the request.
    size_t room = 300;
    result = sendInPieces(data, [&](std::span<const uint8_t> piece) {
        const size_t kept = std::min(room, piece.size());
        room -= kept;
        return kept;
    }, {1ms, 30ms});
    EXPECT_FALSE(result.complete());
    EXPECT_EQ(describe(result), "sent 300 of 600 bytes");
}

TEST(TerminalUploadLoop, PauseHoldsTheDeviceForTheCallerAndAFailureEndsTheLoop) {
    std::atomic<bool> inTransfer{false};
    std::atomic<int> transfers{0}, overlaps{0};
    std::atomic<bool> fail{false}, failureSeen{false};
    UploadLoop loop(
        [&]() -> std::optional<size_t> {
            inTransfer = true;
            std::this_thread::sleep_for(200us);
            ++transfers;
            inTransfer = false;
            if (fail) return std::nullopt;
            return transfers % 2;  // every other block empty: the idle wait is taken too
        },
        [&] { failureSeen = true; });
    loop.start();
    for (int round = 0; round < 50; ++round) {
        LoopPause pause(loop, 1000ms);
        ASSERT_TRUE(pause);
        const int before = transfers;
        if (inTransfer) ++overlaps;
        std::this_thread::sleep_for(500us);  // the caller's own device work
        if (inTransfer || transfers != before) ++overlaps;
    }
    EXPECT_EQ(overlaps, 0);
    const int before = transfers;
    std::this_thread::sleep_for(20ms);
    EXPECT_GT(transfers, before) << "resumed after each pause";

    fail = true;
    for (int i = 0; i < 1000 && !loop.failed(); ++i) std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(loop.failed());
    EXPECT_TRUE(failureSeen);
    EXPECT_FALSE(loop.running());
    EXPECT_TRUE(loop.pause(10ms)) << "a loop that ended holds nothing";
    loop.stop();
}

TEST(TerminalUploadLoop, APauseThatIsNotAnsweredInTimeSaysSoAndStopStillEnds) {
    std::atomic<bool> release{false}, entered{false};
    UploadLoop loop([&]() -> std::optional<size_t> {
        entered = true;
        while (!release) std::this_thread::sleep_for(1ms);  // a transfer that hangs
        return 0;
    });
    loop.start();
    while (!entered) std::this_thread::sleep_for(1ms);
    EXPECT_FALSE(loop.pause(30ms));
    release = true;
    EXPECT_TRUE(loop.pause(1000ms)) << "parked once the transfer ended";
    loop.resume();
    loop.stop();
    EXPECT_FALSE(loop.running());
}

TEST(TerminalSaveLog, RowsAreAppendedWithTheirPrefixAndFailuresAreReported) {
    test::TempDir dir;
    TerminalLog log;
    log.append("one\ntwo", TextKind::Ascii);
    test::writeBytes(dir / "log.txt", "old\n");
    EXPECT_EQ(appendLogToFile(log, dir / "log.txt"), "");
    EXPECT_EQ(test::readBytes(dir / "log.txt"), "old\n#0  one\n#1  two");
    EXPECT_EQ(appendLogToFile(log, dir.path()).rfind("Cannot open ", 0), 0u);
    if (std::filesystem::exists("/dev/full")) {
        for (int i = 0; i < 10000; ++i) log.append("a row long enough to pass the stdio buffer\n", TextKind::Ascii);
        EXPECT_EQ(appendLogToFile(log, "/dev/full"), "Cannot write /dev/full: No space left on device");
    }
}

}  // namespace
}  // namespace zel::terminal
