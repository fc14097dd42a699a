// The capture controller's promises, with a scripted device and sink: a linear capture ends with
// the buffer-full warning before the device link would refuse to read (which would stall it); a
// ring never overwrites what the writer has not saved and never hands it records from an older
// lap; a stop drains the writer before the sink closes, or cuts a lagging writer short when told
// to drop the unsaved; a stopped ring's held records come out oldest first; a sink or device
// failure ends the capture with its message; a record limit is exact.
#include "CaptureController.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace zel::capture {
namespace {

using namespace std::chrono_literals;

constexpr uint32_t kRecordsPerFetch = 8184;  // eight read-out blocks of 1,023 records

// A device whose records carry their own running number, so order and gaps show.
class NumberedSource : public TraceSource {
public:
    explicit NumberedSource(uint64_t total) : total_(total) {}

    void begin() override { began = true; }
    bool fetch(std::span<uint8_t> buffer, uint32_t& length) override {
        ++fetches;
        if (failAt && fetches.load() == *failAt) return false;
        // The device link reads nothing once a fetch would not fit: a capture that goes on
        // asking here never ends.
        if (uint64_t{length} + kFetchBytes >= buffer.size()) return true;
        const uint64_t n = std::min<uint64_t>(kRecordsPerFetch, total_ - next_.load());
        for (uint64_t i = 0; i < n; ++i, length += kRecordBytes) {
            const uint64_t number = next_++;
            std::memcpy(buffer.data() + length, &number, kRecordBytes);
        }
        return true;
    }
    void end() override { ended = true; }

    uint64_t produced() const { return next_.load(); }

    std::optional<int> failAt;
    std::atomic<int> fetches{0};
    std::atomic<bool> began{false}, ended{false};

private:
    uint64_t total_;
    std::atomic<uint64_t> next_{0};
};

// Checks that every record follows the one before; optionally slow, or failing at a write.
class CheckingSink : public RecordSink {
public:
    bool write(std::span<const uint8_t> records) override {
        if (failAtWrite && ++writes == *failAtWrite) return false;
        for (size_t at = 0; at < records.size(); at += kRecordBytes) {
            uint64_t number = 0;
            std::memcpy(&number, records.data() + at, kRecordBytes);
            if (number != expected) ++outOfOrder;
            expected = number + 1;
        }
        writtenAfterFinish += finished;
        if (pause.count()) std::this_thread::sleep_for(pause);
        return true;
    }
    void wrapped() override { ++wraps; }
    bool finish() override {
        ++finished;
        return true;
    }
    std::string problem() const override { return "Error: cannot write trace.bin: No space left on device"; }

    std::chrono::microseconds pause{0};
    std::optional<int> failAtWrite;
    int writes = 0, wraps = 0, finished = 0, writtenAfterFinish = 0;
    uint64_t expected = 0, outOfOrder = 0;
};

struct Messages {
    void operator()(const std::string& text) {
        std::lock_guard lock(mutex);
        lines.push_back(text);
    }
    std::vector<std::string> taken() {
        std::lock_guard lock(mutex);
        return lines;
    }
    std::mutex mutex;
    std::vector<std::string> lines;
};

bool settles(const CaptureController& capture, std::chrono::seconds within = 10s) {
    const auto until = std::chrono::steady_clock::now() + within;
    while (!capture.settled())
        if (std::chrono::steady_clock::now() > until) return false;
        else std::this_thread::sleep_for(1ms);
    return true;
}

CaptureSettings settings(CaptureMode mode, uint32_t bytes) {
    CaptureSettings s;
    s.mode = mode;
    s.bufferBytes = bytes;
    s.poll = 100us;
    return s;
}

TEST(CaptureController, LinearCaptureEndsWithTheFullWarningInsteadOfStalling) {
    NumberedSource source(~uint64_t{0});
    CheckingSink sink;
    Messages messages;
    CaptureController capture(source, settings(CaptureMode::Linear, 5 * kFetchBytes + 4096),
                              [&](const std::string& line) { messages(line); });
    capture.start(&sink);
    ASSERT_TRUE(settles(capture)) << "the capture kept asking a device that reads nothing";
    EXPECT_EQ(capture.stop(), CaptureEnd::BufferFull);
    EXPECT_EQ(messages.taken(), (std::vector<std::string>{"Warning: SPI Trace buffer is full.", "SPI Trace STOP."}));
    EXPECT_GE(capture.fillLength() + kFetchBytes, capture.buffer()->size());
    EXPECT_EQ(capture.records(), capture.fillLength() / kRecordBytes);
    EXPECT_EQ(sink.expected, capture.records());
    EXPECT_EQ(sink.outOfOrder, 0u);
    EXPECT_EQ(sink.wraps, 0);
    EXPECT_TRUE(source.began && source.ended);
}

// A ring a little over three fetches long, so every lap ends at a different place, and a writer
// slower than the device: the device waits for room, nothing is lost or repeated, and the stop
// comes while the writer is still behind.
TEST(CaptureController, RingWithASlowWriterLosesNothingAndStopDrainsIt) {
    constexpr uint64_t kTotal = 40 * kRecordsPerFetch + 123;
    NumberedSource source(kTotal);
    CheckingSink sink;
    sink.pause = 300us;
    CaptureController capture(source, settings(CaptureMode::Ring, 3 * kFetchBytes + 5 * 1024), {});
    capture.start(&sink);
    while (capture.records() < kTotal) std::this_thread::sleep_for(1ms);
    EXPECT_EQ(capture.stop(), CaptureEnd::Stopped);
    EXPECT_EQ(capture.records(), kTotal);
    EXPECT_EQ(capture.savedRecords(), kTotal) << "the stop closed the writer before it had saved everything";
    EXPECT_EQ(sink.expected, kTotal);
    EXPECT_EQ(sink.outOfOrder, 0u) << "records were overwritten before they were saved, or came from an older lap";
    EXPECT_GE(sink.wraps, 10);
    EXPECT_EQ(sink.finished, 1);
    EXPECT_EQ(sink.writtenAfterFinish, 0);
}

TEST(CaptureController, FailuresEndTheCaptureWithTheirMessage) {
    {
        SCOPED_TRACE("the sink cannot write");
        NumberedSource source(~uint64_t{0});
        CheckingSink sink;
        sink.failAtWrite = 3;
        Messages messages;
        CaptureController capture(source, settings(CaptureMode::Ring, 4 * kFetchBytes),
                                  [&](const std::string& line) { messages(line); });
        capture.start(&sink);
        ASSERT_TRUE(settles(capture)) << "a writer that failed left the capture running";
        EXPECT_EQ(capture.stop(), CaptureEnd::WriteError);
        EXPECT_EQ(messages.taken(), std::vector<std::string>{sink.problem()});
    }
    {
        SCOPED_TRACE("the device fails");
        NumberedSource source(~uint64_t{0});
        source.failAt = 2;
        CheckingSink sink;
        Messages messages;
        CaptureController capture(source, settings(CaptureMode::Linear, 4 * kFetchBytes),
                                  [&](const std::string& line) { messages(line); });
        capture.start(&sink);
        ASSERT_TRUE(settles(capture));
        EXPECT_EQ(capture.stop(), CaptureEnd::DeviceError);
        EXPECT_EQ(messages.taken(), std::vector<std::string>{"USB Error: SPI Trace STOP."});
        EXPECT_EQ(sink.expected, kRecordsPerFetch) << "what the first fetch brought is saved";
    }
}

TEST(CaptureController, ARecordLimitIsExact) {
    for (const auto mode : {CaptureMode::Linear, CaptureMode::Ring}) {
        NumberedSource source(~uint64_t{0});
        CheckingSink sink;
        CaptureSettings s = settings(mode, 4 * kFetchBytes);
        s.recordLimit = 2 * kRecordsPerFetch + 17;
        CaptureController capture(source, s, {});
        capture.start(&sink);
        ASSERT_TRUE(settles(capture));
        EXPECT_EQ(capture.stop(), CaptureEnd::LimitReached);
        EXPECT_EQ(sink.expected, *s.recordLimit);
        EXPECT_EQ(sink.outOfOrder, 0u);
    }
}
// A stop that drops what is unsaved ends a writer that lags far behind at its next chunk: what it
// saved is in order and the sink is closed once.
TEST(CaptureController, AStopThatDropsTheUnsavedEndsALaggingWriterAtItsNextChunk) {
    NumberedSource source(1000 * kRecordsPerFetch);
    CheckingSink sink;
    sink.pause = 20ms;
    // Ten times the writer's chunk: the device fills it at once, the writer takes 20 ms a chunk.
    CaptureController capture(source, settings(CaptureMode::Ring, 10 << 20), {});
    capture.start(&sink);
    while (capture.records() < 4 * kRecordsPerFetch) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(capture.stop(CaptureController::Unsaved::Drop), CaptureEnd::Stopped);
    EXPECT_LT(capture.savedRecords(), capture.records());
    EXPECT_EQ(sink.expected, capture.savedRecords());
    EXPECT_EQ(sink.outOfOrder, 0u);
    EXPECT_EQ(sink.finished, 1);
    EXPECT_EQ(sink.writtenAfterFinish, 0);
}

// After a ring's stop the buffer holds the rest of the lap before and the last lap; put oldest
// first they are the newest records the device made, one after the other, up to its last.
TEST(CaptureController, AStoppedRingPutsTheRecordsItHoldsOldestFirst) {
    constexpr uint64_t kTotal = 20 * kRecordsPerFetch + 77;
    constexpr uint32_t kBytes = 3 * kFetchBytes + 5 * 1024;
    NumberedSource source(kTotal);
    CheckingSink sink;
    CaptureController capture(source, settings(CaptureMode::Ring, kBytes), {});
    capture.start(&sink);
    while (capture.records() < kTotal) std::this_thread::sleep_for(1ms);
    capture.stop();
    ASSERT_GT(sink.wraps, 2);
    const uint32_t held = capture.orderOldestFirst();
    EXPECT_GT(held, kBytes - 2 * kFetchBytes) << "only the last lap was kept";
    EXPECT_LE(held, kBytes);
    const auto bytes = capture.buffer()->bytes();
    const uint64_t first = kTotal - held / kRecordBytes;
    for (uint32_t at = 0; at < held; at += kRecordBytes) {
        uint64_t number = 0;
        std::memcpy(&number, bytes.data() + at, kRecordBytes);
        ASSERT_EQ(number, first + at / kRecordBytes) << "at byte " << at;
    }
}

// The ring arithmetic alone: room only for whole fetches, the wrap published where the fill ended.
TEST(RingCursor, GivesRoomOnlyForWholeFetchesAndPublishesTheWrapEnd) {
    constexpr uint32_t kFetch = 64, kSize = 200;
    RingCursor ring(kSize, kFetch);
    ASSERT_EQ(ring.roomInRing(), 0u);
    ring.filled(64);
    ASSERT_EQ(ring.roomInRing(), 64u);
    ring.filled(140);  // 140 + 64 no longer fits below 200: the next room wraps
    EXPECT_EQ(ring.roomInRing(), std::nullopt) << "the writer has saved nothing: no room at the start";
    auto pending = ring.pending();
    EXPECT_EQ(pending.begin, 0u);
    EXPECT_EQ(pending.end, 140u);
    EXPECT_TRUE(pending.wrapsAfter);
    ring.saved(63);
    EXPECT_EQ(ring.roomInRing(), std::nullopt) << "63 saved bytes cannot take a 64-byte fetch";
    ring.saved(64);
    EXPECT_EQ(ring.roomInRing(), 0u);
    ring.filled(40);
    ring.saved(140);
    ring.wrapSaved();
    pending = ring.pending();
    EXPECT_EQ(pending.begin, 0u);
    EXPECT_EQ(pending.end, 40u);
    EXPECT_FALSE(pending.wrapsAfter);
    EXPECT_EQ(ring.roomInRing(), 40u);
    // Held: the lap before from where the last lap's fill ends, then the last lap.
    const auto held = ring.held();
    EXPECT_EQ(held.olderBegin, 40u);
    EXPECT_EQ(held.olderEnd, 140u);
    EXPECT_EQ(held.newerEnd, 40u);
    EXPECT_EQ(held.bytes(), 140u);
    EXPECT_EQ(RingCursor(kSize, kFetch).held().bytes(), 0u);
}

}  // namespace
}  // namespace zel::capture
