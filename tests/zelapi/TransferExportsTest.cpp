// Download, verify and read-back through the API against a strict simulator: which memory
// frames go out, what the emulation memory holds afterwards (compared byte for byte through the
// simulator's digest), and the result byte at the edges of the chip, of the buffers and of
// failing transfers.
#include "DataPathSupport.h"
#include "Log.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

using namespace zel::test;

constexpr uint32_t kChip = 0x800000;  // 8 MiB
constexpr uint32_t kTarget2 = 0x80000000;

class Transfers : public DataPathTest {
protected:
    // One first-generation emulator with an 8 MiB chip on target 1, its memory preset to 0x5A
    // so that every byte a download must keep is recognisable.
    void startWithChip(uint32_t chip = kChip)
    {
        start({"gen=1"});
        setChip(chip);
        fill(0, 0, chip, 0x5A);
        model.assign(chip, 0x5A);
        sim().clearLog(0);
    }

    // Puts bytes into the in-process buffer.
    void stage(uint32_t offset, const Bytes& bytes)
    {
        std::memcpy(CliGetDLLBuffer() + offset, bytes.data(), bytes.size());
    }

    uint8_t download(bool keep, uint8_t fillValue, uint32_t address, uint32_t length, uint32_t source,
                     bool truncate = false, size_t index = 0, bool g2 = false)
    {
        uint8_t result = 0xEE;
        CliDownloadDLLBufferToZelmorPro(keep, fillValue, address, length, source, truncate, &result, g2, index);
        return result;
    }

    uint8_t verify(uint32_t address, uint32_t length, uint32_t source, size_t index = 0, bool g2 = false)
    {
        uint8_t result = 0xEE;
        CliZelmorProVerify(address, length, source, &result, g2, index);
        return result;
    }

    void expectModel(int device = 0, uint32_t base = 0) { expectMemory(device, base, model); }

    Bytes model;  // what the target's memory must hold
};

// ---- keep-content downloads ----

TEST_F(Transfers, KeepContentOfSixteenBytesRewritesTheirBlockAndChangesOnlyThem)
{
    startWithChip();
    const Bytes image = patternBytes(16, 1);
    stage(0, image);
    EXPECT_EQ(download(true, 0xFF, 0x100010, 16, 0), 1);
    EXPECT_EQ(memoryFrames(0), (std::vector<MemoryFrame>{{kRead, 0x100000, 0x100000},
                                                         {kRead, 0x100000, 0x100000},
                                                         {kWrite, 0x100000, 0x100000}}));
    std::copy(image.begin(), image.end(), model.begin() + 0x100010);
    expectModel();
    expectNoViolations(0);
}

TEST_F(Transfers, KeepContentCoveringWholeBlocksReadsNothingAndWritesOnce)
{
    startWithChip();
    const Bytes image = patternBytes(0x200000, 2);
    stage(0x40, image);
    EXPECT_EQ(download(true, 0xFF, 0x100000, 0x200000, 0x40), 1);
    EXPECT_EQ(memoryFrames(0), (std::vector<MemoryFrame>{{kWrite, 0x100000, 0x200000}}));
    std::copy(image.begin(), image.end(), model.begin() + 0x100000);
    expectModel();
    expectNoViolations(0);
}

TEST_F(Transfers, KeepContentWithHeadAndTailInDifferentBlocksReadsBothAndWritesTheSpan)
{
    startWithChip();
    const Bytes image = patternBytes(0x180000, 3);
    stage(0x1234, image);
    EXPECT_EQ(download(true, 0xFF, 0x0C0000, 0x180000, 0x1234), 1);
    EXPECT_EQ(memoryFrames(0), (std::vector<MemoryFrame>{{kRead, 0x000000, 0x100000},
                                                         {kRead, 0x200000, 0x100000},
                                                         {kWrite, 0x000000, 0x300000}}));
    std::copy(image.begin(), image.end(), model.begin() + 0x0C0000);
    expectModel();
    expectNoViolations(0);
}

TEST_F(Transfers, KeepContentOnAChipSmallerThanABlockNeverPassesTheChipEnd)
{
    startWithChip(0x80000);  // 512 KiB
    fill(0, 0x80000, 0x80000, 0x77);  // the rest of the first block, beyond the chip
    const Bytes image = patternBytes(0x80000, 4);
    stage(0, image);
    EXPECT_EQ(download(true, 0xFF, 0x10, 16, 0), 1);
    EXPECT_EQ(memoryFrames(0), (std::vector<MemoryFrame>{{kRead, 0, 0x80000}, {kRead, 0, 0x80000},
                                                         {kWrite, 0, 0x80000}}));
    std::copy_n(image.begin(), 16, model.begin() + 0x10);
    expectModel();

    sim().clearLog(0);
    EXPECT_EQ(download(true, 0xFF, 0, 0x80000, 0), 1) << "the whole chip needs no read";
    EXPECT_EQ(memoryFrames(0), (std::vector<MemoryFrame>{{kWrite, 0, 0x80000}}));
    EXPECT_EQ(download(true, 0xFF, 0x80000, 1, 0), 2);
    EXPECT_EQ(download(false, 0xFF, 0x7FFFF, 2, 0), 3);
    EXPECT_EQ(memoryFrames(0).size(), 1u);
    model = image;
    expectModel();
    EXPECT_EQ(digest(0, 0x80000, 0x80000), digestOf(Bytes(0x80000, 0x77))) << "nothing beyond the chip";
    expectNoViolations(0);
}

// ---- fill downloads ----

TEST_F(Transfers, FillDownloadWritesTheWholeChipWithTheImageAtItsOffset)
{
    startWithChip();
    const Bytes image = patternBytes(0x1000, 5);
    stage(0x300, image);
    EXPECT_EQ(download(false, 0xAA, 0x2000, 0x1000, 0x300), 1);
    EXPECT_EQ(memoryFrames(0), (std::vector<MemoryFrame>{{kWrite, 0, kChip}}));
    model.assign(kChip, 0xAA);
    std::copy(image.begin(), image.end(), model.begin() + 0x2000);
    expectModel();
    expectNoViolations(0);
}

// ---- the chip end ----

TEST_F(Transfers, ChipEndGivesTwoOrThreeAndSendsNothingTruncationStopsAtIt)
{
    startWithChip();
    const Bytes image = patternBytes(0x100, 6);
    stage(0, image);
    for (bool keep : {true, false}) {
        EXPECT_EQ(download(keep, 0xFF, kChip, 1, 0, false), 2);
        EXPECT_EQ(download(keep, 0xFF, kChip, 1, 0, true), 2);
        EXPECT_EQ(download(keep, 0xFF, kChip - 0x10, 0x11, 0, false), 3) << "one byte past the end";
        EXPECT_EQ(download(keep, 0xFF, 0, 0xFFFFFFFF, 0, false), 3) << "no 32-bit wrap";
        EXPECT_EQ(download(keep, 0xFF, 0x7FFFFFFF, 0xFFFFFFFF, 0, true), 2);
    }
    EXPECT_TRUE(memoryFrames(0).empty());

    EXPECT_EQ(download(true, 0xFF, kChip - 0x10, 0x100, 0, true), 1);
    EXPECT_EQ(memoryFrames(0), (std::vector<MemoryFrame>{{kRead, kChip - 0x100000, 0x100000},
                                                         {kWrite, kChip - 0x100000, 0x100000}}));
    std::copy_n(image.begin(), 0x10, model.end() - 0x10);
    expectModel();
    EXPECT_EQ(verify(kChip - 0x10, 0x100, 0), 1) << "a truncated download verifies";
    expectNoViolations(0);
}

TEST_F(Transfers, TruncatedLengthOfAllOnesDownloadsTheWholeChip)
{
    startWithChip();
    const Bytes image = patternBytes(kChip, 7);
    stage(0, image);
    EXPECT_EQ(download(true, 0xFF, 0, 0xFFFFFFFF, 0, true), 1);
    EXPECT_EQ(memoryFrames(0), (std::vector<MemoryFrame>{{kWrite, 0, kChip}}));
    model = image;
    expectModel();
}

TEST_F(Transfers, WithoutAChipSizeEveryDownloadAndReadBackGivesTwo)
{
    start({"gen=1"});
    sim().clearLog(0);
    uint8_t result = 0xEE;
    EXPECT_EQ(download(true, 0xFF, 0, 16, 0), 2);
    EXPECT_EQ(download(false, 0xFF, 0, 16, 0), 2);
    CliReadFromZelmorPro(0, 16, &result);
    EXPECT_EQ(result, 2);
    CliReadFromZelmorProvector(0, 16, &result, false, 0);
    EXPECT_EQ(result, 2);
    EXPECT_TRUE(memoryFrames(0).empty());
}

// ---- buffers that cannot hold the range ----

TEST_F(Transfers, SourceOrDestinationTooSmallForTheRangeSendsNothingAndGivesZero)
{
    startWithChip();
    const uint32_t bufferEnd = 0x10000000;
    EXPECT_EQ(download(true, 0xFF, 0, 16, bufferEnd - 8), 0);
    EXPECT_EQ(download(false, 0xFF, 0, 16, bufferEnd - 8), 0);
    EXPECT_EQ(download(true, 0xFF, 0, 16, 0xFFFFFFF8), 0) << "offset and size are added in 64 bits";
    EXPECT_EQ(verify(0, 16, bufferEnd - 8), 0);

    const vm_ptr_t host = vm_alloc(0x1000);
    vm_ptr_t handle = host;
    uint8_t result = 0xEE;
    CliDownloadDLLBufferToZelmorPro_ptr(&handle, true, 0xFF, 0, 0x1001, 0, false, &result, false, 0);
    EXPECT_EQ(result, 0);
    CliDownloadDLLBufferToZelmorPro_ptr(&handle, false, 0xFF, 0, 0x800, 0x801, false, &result, false, 0);
    EXPECT_EQ(result, 0);
    CliZelmorProVerify_ptr(&handle, 0, 0x1001, 0, &result, false, 0);
    EXPECT_EQ(result, 0);
    CliDownloadDLLBufferToZelmorPro_ptr(nullptr, true, 0xFF, 0, 16, 0, false, &result, false, 0);
    EXPECT_EQ(result, 0);
    vm_ptr_t none = 0;
    CliZelmorProVerify_ptr(&none, 0, 16, 0, &result, false, 0);
    EXPECT_EQ(result, 0);
    result = 0xEE;
    CliReadFromZelmorPro_ptr(&handle, 0, 0x2000, 0x2000, &result);
    EXPECT_EQ(result, 0) << "capacity larger than the buffer";
    EXPECT_TRUE(memoryFrames(0).empty());
    vm_free(host);

    // A read-back of more than the in-process buffer holds: no chip exceeds the large buffer, so
    // the standard 64 MiB one and a chip of twice that.
    CliCloseZelmorProDLL();
    CliInitialZelmorProDLL();
    setChip(0x8000000);
    sim().clearLog(0);
    CliReadFromZelmorPro(0, 0x4000001, &result);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(memoryFrames(0).empty());
}

// ---- verify ----

TEST_F(Transfers, VerifyFindsADifferenceInTheLastByteAndReadsOnlyInsideTheChip)
{
    startWithChip();
    const Bytes image = patternBytes(0x3000, 8);
    stage(0, image);
    ASSERT_EQ(download(true, 0xFF, 0x7FD000, 0x3000, 0), 1);
    sim().clearLog(0);
    EXPECT_EQ(verify(0x7FD000, 0x3000, 0), 1);
    EXPECT_EQ(memoryFrames(0), (std::vector<MemoryFrame>{{kRead, 0x700000, 0x100000}}));
    CliGetDLLBuffer()[0x2FFF] ^= 0x01;
    EXPECT_EQ(verify(0x7FD000, 0x3000, 0), 0);
    EXPECT_EQ(verify(0x7FD000, 0x2FFF, 0), 1);

    sim().clearLog(0);
    EXPECT_EQ(verify(0x7FD000, 0xFFFFFFFF, 0), 0) << "compares up to the chip end, the changed byte included";
    EXPECT_EQ(verify(kChip, 1, 0), 2);
    EXPECT_EQ(verify(0xFFFFFFF, 0xFFFFFFFF, 0), 2);
    EXPECT_EQ(memoryFrames(0), (std::vector<MemoryFrame>{{kRead, 0x700000, 0x100000}}));
    expectNoViolations(0);
}

TEST_F(Transfers, CorruptedWriteIsCaughtByVerify)
{
    startWithChip();
    const Bytes image = patternBytes(0x200000, 9);
    stage(0, image);
    sim().control("corrupt 0 0x1FFFFF");
    ASSERT_EQ(download(true, 0xFF, 0, 0x200000, 0), 1);
    EXPECT_EQ(verify(0, 0x200000, 0), 0);
    ASSERT_EQ(download(true, 0xFF, 0, 0x200000, 0), 1);
    EXPECT_EQ(verify(0, 0x200000, 0), 1);
}

// ---- read-back ----

TEST_F(Transfers, VectorReadTakesWholeUnitsAndKeepsExactlyTheAskedBytes)
{
    startWithChip();
    const Bytes image = patternBytes(0x400, 10);
    stage(0, image);
    ASSERT_EQ(download(true, 0xFF, 0, 0x400, 0), 1);
    sim().clearLog(0);
    uint8_t result = 0xEE;
    const auto* vector = CliReadFromZelmorProvector(0x1F0, 0x20, &result, false, 0);
    EXPECT_EQ(result, 1);
    ASSERT_NE(vector, nullptr);
    EXPECT_EQ(*vector, Bytes(image.begin() + 0x1F0, image.begin() + 0x210));
    EXPECT_EQ(memoryFrames(0), (std::vector<MemoryFrame>{{kRead, 0, 0x400}}));

    CliReadFromZelmorProvector(kChip - 0x10, 0x11, &result, false, 0);
    EXPECT_EQ(result, 2);
    CliReadFromZelmorProvector(kChip - 0x10, 0x10, &result, false, 0);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(*vector, Bytes(0x10, 0x5A));
    EXPECT_EQ(memoryFrames(0).back(), (MemoryFrame{kRead, kChip - 0x200, 0x200}));
}

TEST_F(Transfers, ReadBackFillsTheImageBufferAndRefusesRangesBeyondTheChip)
{
    startWithChip();
    const Bytes image = patternBytes(0x1000, 11);
    stage(0, image);
    ASSERT_EQ(download(true, 0xFF, 0x4000, 0x1000, 0), 1);
    std::memset(CliGetDLLBuffer(), 0, 0x2000);
    uint8_t result = 0xEE;
    CliReadFromZelmorPro(0x3800, 0x2000, &result);
    EXPECT_EQ(result, 1);
    Bytes expected(0x2000, 0x5A);
    std::copy(image.begin(), image.end(), expected.begin() + 0x800);
    EXPECT_EQ(Bytes(CliGetDLLBuffer(), CliGetDLLBuffer() + 0x2000), expected);

    sim().clearLog(0);
    CliReadFromZelmorPro(kChip - 0x10, 0x11, &result);
    EXPECT_EQ(result, 2);
    CliReadFromZelmorPro(0, 0xFFFFFFFF, &result);
    EXPECT_EQ(result, 2);
    EXPECT_TRUE(memoryFrames(0).empty());
}

// ---- injected transfer failures ----

TEST_F(Transfers, FailedTransfersGiveZeroAndAFailedBlockReadWritesNothing)
{
    startWithChip();
    stage(0, patternBytes(0x200000, 12));
    uint8_t result = 0xEE;

    // Each operation stops at its first failed transfer, which uses up the one injected failure.
    sim().control("fail 0 1");
    EXPECT_EQ(download(true, 0xFF, 0x100010, 16, 0), 0) << "head block read fails";
    sim().control("fail 0 1");
    EXPECT_EQ(download(true, 0xFF, 0x100000, 16, 0), 0) << "tail block read fails";
    sim().control("fail 0 1");
    EXPECT_EQ(download(true, 0xFF, 0, 0x200000, 0), 0) << "write frame fails";
    sim().control("fail 0 1");
    EXPECT_EQ(download(false, 0xAA, 0, 0x1000, 0), 0);
    sim().control("fail 0 1");
    EXPECT_EQ(verify(0, 0x1000, 0), 0) << "a read that fails is no match";
    sim().control("fail 0 1");
    CliReadFromZelmorPro(0, 0x1000, &result);
    EXPECT_EQ(result, 0);
    sim().control("fail 0 1");
    const auto* vector = CliReadFromZelmorProvector(0, 0x100, &result, false, 0);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(vector->empty());
    const vm_ptr_t host = vm_alloc(0x1000);
    vm_ptr_t handle = host;
    sim().control("fail 0 1");
    CliReadFromZelmorPro_ptr(&handle, 0, 0x1000, 0x1000, &result);
    EXPECT_EQ(result, 0);
    vm_free(host);
    EXPECT_EQ(sim().control("status").find("fail="), std::string::npos);

    for (const auto& entry : sim().log(0)) {
        if (entry.kind == SimLogEntry::Kind::Out && entry.status == "ok") {
            EXPECT_LE(entry.length, 16u) << "no data phase reached the device";
        }
    }
    expectModel();
}

// ---- target 2 ----

// Every operation on target 2 of a first-generation and a G2 emulator: the address goes out
// with bit 31, target 2's memory holds the result and target 1 is never touched.
TEST_F(Transfers, TargetTwoOnBothGenerationsLeavesTargetOneAlone)
{
    start({"gen=1", "gen=2"});
    const Bytes image = patternBytes(0x200000, 13);
    stage(0, image);
    for (int device : {0, 1}) {
        const bool g2 = device == 1;
        setChip(kChip, false, device);
        setChip(0x400000, true, device);
        fill(device, 0, kChip, 0x11);
        fill(device, kTarget2, 0x400000, 0x22);
        sim().clearLog(device);
        Bytes target2(0x400000, 0x22);

        EXPECT_EQ(download(true, 0xFF, kTarget2 | 0x100010, 0x10, 0, false, device, g2), 1);
        std::copy_n(image.begin(), 0x10, target2.begin() + 0x100010);
        EXPECT_EQ(download(true, 0xFF, kTarget2 | 0x200000, 0x100000, 0x10, false, device, g2), 1);
        std::copy_n(image.begin() + 0x10, 0x100000, target2.begin() + 0x200000);
        expectMemory(device, kTarget2, target2);
        EXPECT_EQ(verify(kTarget2 | 0x200000, 0x100000, 0x10, device, g2), 1);
        EXPECT_EQ(download(true, 0xFF, kTarget2 | 0x400000, 1, 0, false, device, g2), 2) << "target 2's own size";

        uint8_t result = 0xEE;
        const auto* vector = CliReadFromZelmorProvector(kTarget2 | 0x100008, 0x10, &result, g2, device);
        EXPECT_EQ(result, 1);
        EXPECT_EQ(*vector, Bytes(target2.begin() + 0x100008, target2.begin() + 0x100018));

        const vm_ptr_t source = vm_alloc(0x100000);
        vm_ptr_t sourceHandle = source;
        ASSERT_EQ(vm_write(source, image.data() + 0x100000, 0x100000), 1);
        CliDownloadDLLBufferToZelmorPro_ptr(&sourceHandle, true, 0xFF, kTarget2 | 0x300000, 0x100000, 0, false, &result,
                                            g2, device);
        EXPECT_EQ(result, 1);
        std::copy_n(image.begin() + 0x100000, 0x100000, target2.begin() + 0x300000);
        CliZelmorProVerify_ptr(&sourceHandle, kTarget2 | 0x300000, 0x100000, 0, &result, g2, device);
        EXPECT_EQ(result, 1);
        vm_free(source);

        EXPECT_EQ(download(false, 0x33, kTarget2 | 0x1000, 0x800, 0, false, device, g2), 1);
        target2.assign(0x400000, 0x33);
        std::copy_n(image.begin(), 0x800, target2.begin() + 0x1000);
        expectMemory(device, kTarget2, target2);
        EXPECT_EQ(verify(kTarget2 | 0x1000, 0x800, 0, device, g2), 1);

        if (device == 0) {  // the read-backs without an index address the current device
            CliReadFromZelmorPro(kTarget2, 0x2000, &result);
            EXPECT_EQ(result, 1);
            EXPECT_EQ(Bytes(CliGetDLLBuffer(), CliGetDLLBuffer() + 0x2000), Bytes(target2.begin(), target2.begin() + 0x2000));
            stage(0, image);
            const vm_ptr_t host = vm_alloc(0x2000);
            vm_ptr_t handle = host;
            CliReadFromZelmorPro_ptr(&handle, kTarget2 | 0x800, 0x2000, 0x2000, &result);
            EXPECT_EQ(result, 1);
            Bytes read(0x2000);
            ASSERT_EQ(vm_read(read.data(), host, read.size()), 1);
            EXPECT_EQ(read, Bytes(target2.begin() + 0x800, target2.begin() + 0x2800));
            vm_free(host);
        }

        for (const auto& frame : memoryFrames(device))
            EXPECT_NE(frame.address & kTarget2, 0u) << frame;
        expectMemory(device, 0, Bytes(kChip, 0x11));
        expectNoViolations(device);
    }
}

// ---- host-buffer forms ----

TEST_F(Transfers, HostBufferDownloadVerifyAndReadBackOverSeveralSlices)
{
    TempFolder logRoot;
    setenv("XDG_STATE_HOME", (logRoot / "state").c_str(), 1);
    log_init_c("----ZelmorPro----");
    start({"gen=2"}, std::chrono::milliseconds(60000));
    const uint32_t chip = 0x8000000;  // 128 MiB
    setChip(chip);
    const uint32_t length = 0x4100003;  // more than one 64 MiB slice, not a multiple of four
    const Bytes image = patternBytes(length, 14);
    const vm_ptr_t host = vm_alloc(length + 0x100);
    ASSERT_NE(host, 0u);
    ASSERT_EQ(vm_write(host + 0x100, image.data(), image.size()), 1);
    vm_ptr_t handle = host;
    sim().clearLog(0);

    uint8_t result = 0xEE;
    CliDownloadDLLBufferToZelmorPro_ptr(&handle, false, 0xC3, 0x100000, length, 0x100, false, &result, true, 0);
    EXPECT_EQ(result, 1);
    Bytes model(chip, 0xC3);
    std::copy(image.begin(), image.end(), model.begin() + 0x100000);
    expectMemory(0, 0, model);

    sim().clearLog(0);
    CliZelmorProVerify_ptr(&handle, 0x100000, length, 0x100, &result, true, 0);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(memoryFrames(0), (std::vector<MemoryFrame>{{kRead, 0x100000, 0x4000000},
                                                         {kRead, 0x4100000, 0x200000}}));

    sim().clearLog(0);
    const vm_ptr_t readBack = vm_alloc(length);
    vm_ptr_t readHandle = readBack;
    CliReadFromZelmorPro_ptr(&readHandle, 0x100000, length, 0xFFFFFFFF, &result);
    EXPECT_EQ(result, 1);
    const uint32_t quarter = length / 4;
    EXPECT_EQ(memoryFrames(0), (std::vector<MemoryFrame>{{kRead, 0x100000, quarter},
                                                         {kRead, 0x100000 + quarter, quarter},
                                                         {kRead, 0x100000 + 2 * quarter, quarter},
                                                         {kRead, 0x100000 + 3 * quarter, length - 3 * quarter}}));
    Bytes back(length);
    ASSERT_EQ(vm_read(back.data(), readBack, length), 1);
    EXPECT_TRUE(back == image) << "the last quarter takes the bytes a division by four leaves";

    // A keep-content download of the same host buffer, aligned: one write, no read.
    sim().clearLog(0);
    CliDownloadDLLBufferToZelmorPro_ptr(&handle, true, 0xFF, 0x200000, 0x4000000, 0x100, false, &result, true, 0);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(memoryFrames(0), (std::vector<MemoryFrame>{{kWrite, 0x200000, 0x4000000}}));
    std::copy_n(image.begin(), 0x4000000, model.begin() + 0x200000);
    expectMemory(0, 0, model);
    expectNoViolations(0);
    vm_free(host);
    vm_free(readBack);

    log_exit_c();
    std::ifstream in(logRoot / "state/Varnik/Zelmor/zelmor.log");
    std::stringstream log;
    log << in.rdbuf();
    const std::string text = log.str();
    const std::string signature =
        "void CProject::DoDownloadBufferToZelmor_ptr(vm_ptr_t& ptr,bool boNoChangeContent,BYTE bFillMask, DWORD dwAdr,"
        "DWORD dwLdth,DWORD dwBuffAddr, bool boTruncate, BYTE &bResult,bool isZelmorProG2,size_t USBIndex)";
    const std::vector<std::string> lines = {signature,
                                            "\t\tdownload file to zelmorpro, Fill Value with bFillMask ",
                                            "\t\tstart WRITE_PARTIAL_MEMORY",
                                            "\t\tend WRITE_PARTIAL_MEMORY",
                                            signature,
                                            "\t\tdownload file to zelmorpro, boNoChangeContent "};
    size_t at = 0;
    for (const auto& line : lines) {
        at = text.find(line, at);
        ASSERT_NE(at, std::string::npos) << "missing, or out of order: " << line;
        at += line.size();
    }
}

}  // namespace
