// Progress and cancel of download, verify and read-back through the API's callback, against a
// strict simulator whose link speed makes the transfers last long enough to stop on purpose.
#include "DataPathSupport.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

namespace zel::test {
namespace {

struct Report {
    int operation;
    int device;
    uint64_t done;
    uint64_t total;
};

// Records every report; asks to cancel once `cancelAt` (a fraction of the total) is reached.
struct Recorder {
    std::vector<Report> reports;
    double cancelAt = 2.0;

    static int callback(void* context, int operation, int device, uint64_t done, uint64_t total)
    {
        auto* self = static_cast<Recorder*>(context);
        self->reports.push_back({operation, device, done, total});
        return done >= self->cancelAt * static_cast<double>(total) ? 1 : 0;
    }
};

class Progress : public DataPathTest {
protected:
    void TearDown() override
    {
        CliSetProgressCallback(nullptr, nullptr);
        DataPathTest::TearDown();
    }

    void listen() { CliSetProgressCallback(&Recorder::callback, &recorder); }

    uint8_t download(uint32_t length)
    {
        uint8_t result = 0xEE;
        CliDownloadDLLBufferToZelmorPro(true, 0xFF, 0, length, 0, false, &result, false, 0);
        return result;
    }

    uint8_t verify(uint32_t length)
    {
        uint8_t result = 0xEE;
        CliZelmorProVerify(0, length, 0, &result, false, 0);
        return result;
    }

    Bytes loadImage(size_t size, uint32_t seed)
    {
        Bytes image = patternBytes(size, seed);
        std::copy(image.begin(), image.end(), CliGetDLLBuffer());
        return image;
    }

    // One operation's reports: the first at 0, done never falling, steps of at most 4 MiB (on a
    // link of USB 2.0 pace, where a report comes every 50 ms).
    void expectWellFormed(const std::vector<Report>& reports, int operation, uint64_t total)
    {
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.front().done, 0u);
        for (size_t i = 0; i < reports.size(); ++i) {
            EXPECT_EQ(reports[i].operation, operation);
            EXPECT_EQ(reports[i].total, total);
            if (i > 0) {
                EXPECT_GE(reports[i].done, reports[i - 1].done);
                EXPECT_LE(reports[i].done - reports[i - 1].done, 4u << 20);
            }
        }
    }

    Recorder recorder;
};

TEST_F(Progress, EachOperationReportsFromZeroToItsTotal)
{
    start({"gen=2,speed=40"});
    setChip(0x2000000);
    const Bytes image = loadImage(0xC00000, 1);
    listen();

    ASSERT_EQ(download(0xC00000), 1);
    expectWellFormed(recorder.reports, ZEL_OP_DOWNLOAD, 0xC00000);
    EXPECT_EQ(recorder.reports.back().done, 0xC00000u);
    EXPECT_GE(recorder.reports.size(), 4u) << "12 MiB at 40 MB/s: a report every 50 ms or so";
    expectMemory(0, 0, image);

    recorder.reports.clear();
    ASSERT_EQ(verify(0xC00000), 1);
    expectWellFormed(recorder.reports, ZEL_OP_VERIFY, 0xC00000);
    EXPECT_EQ(recorder.reports.back().done, 0xC00000u);

    recorder.reports.clear();
    uint8_t result = 0;
    const auto* bytes = CliReadFromZelmorProvector(0x10, 0x800000, &result, true, 0);
    ASSERT_EQ(result, 1);
    EXPECT_TRUE(std::equal(bytes->begin(), bytes->end(), image.begin() + 0x10));
    expectWellFormed(recorder.reports, ZEL_OP_READ, 0x800200);  // whole 512-byte units around it
    EXPECT_EQ(recorder.reports.back().done, 0x800200u);
    expectNoViolations(0);

    CliSetProgressCallback(nullptr, nullptr);
    recorder.reports.clear();
    ASSERT_EQ(download(0x100000), 1);
    EXPECT_TRUE(recorder.reports.empty()) << "a removed callback hears nothing";
}

struct CancelCase {
    double at;      // fraction of the download after which the callback cancels
    double speed;   // link MB/s: slow enough for blocks well under 1 % at 99 %
};

class CancelDownload : public Progress, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelDownload, StopsAtABlockBoundaryAndTheDeviceStaysUsable)
{
    const auto [at, speed] = GetParam();
    constexpr uint32_t kLength = 0x800000;
    start({"gen=2,speed=" + std::to_string(speed)});
    setChip(kLength);
    const Bytes image = loadImage(kLength, 2);
    recorder.cancelAt = at;
    listen();

    EXPECT_EQ(download(kLength), 0);
    EXPECT_EQ(CliGetLastTransferFailure(), ZEL_TRANSFER_CANCELLED);
    expectWellFormed(recorder.reports, ZEL_OP_DOWNLOAD, kLength);
    const uint64_t done = recorder.reports.back().done;
    EXPECT_GE(done, at * kLength);
    EXPECT_LT(done, kLength);
    // Every block before the cancel arrived whole; nothing after it was sent.
    EXPECT_EQ(digest(0, 0, done), digestOf(Bytes(image.begin(), image.begin() + static_cast<long>(done))));
    EXPECT_EQ(digest(0, done, 0x10000), digestOf(Bytes(0x10000, 0xFF)));

    recorder.cancelAt = 2.0;
    const Bytes next = loadImage(0x100000, 3);
    EXPECT_EQ(download(0x100000), 1);
    EXPECT_EQ(verify(0x100000), 1);
    expectMemory(0, 0, next);
    expectNoViolations(0);
}

INSTANTIATE_TEST_SUITE_P(AtTenFiftyAndNinetyNinePercent, CancelDownload,
                         ::testing::Values(CancelCase{0.10, 20}, CancelCase{0.50, 20}, CancelCase{0.99, 2.5}),
                         [](const auto& info) { return std::to_string(static_cast<int>(info.param.at * 100)) + "Percent"; });

}  // namespace
}  // namespace zel::test
