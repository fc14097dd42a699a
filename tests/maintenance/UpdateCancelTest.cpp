// A firmware update with the API's progress callback: it reports the pages written and read back,
// stops when asked before the on-board flash is touched (the old firmware boots on), and once the
// erase has begun finishes whatever the callback answers, so the device always boots firmware
// that is whole.
#include "FirmwareFixtures.h"
#include "SimChecks.h"
#include "firmware/SyntheticImage.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"
#include "zelapi.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace zel::test::maintenance {
namespace {

namespace fw = zel::firmware;

constexpr uint32_t kOldFirmware = 0x0305025F;  // gen=2 default: FPGA 2.95, MCU 3.5
constexpr uint32_t kNewFirmware = 0x03060261;  // the container's: FPGA 2.97, MCU 3.6

struct Recorder {
    std::vector<uint64_t> done;
    uint64_t total = 0;
    double cancelAt = 2.0;
    bool asked = false;

    static int callback(void* context, int operation, int, uint64_t done, uint64_t total)
    {
        auto* self = static_cast<Recorder*>(context);
        EXPECT_EQ(operation, ZEL_OP_FIRMWARE);
        self->done.push_back(done);
        self->total = total;
        const bool cancel = done >= self->cancelAt * static_cast<double>(total);
        self->asked = self->asked || cancel;
        return cancel ? 1 : 0;
    }
};

class UpdateCancel : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim.emplace(std::vector<std::string>{"gen=2"}, std::vector<std::string>{"--strict", "--time-scale", "0.001"});
        sim->exportEnvironment();
        const Bytes fpga = fw::makeSyntheticImage(fw::ImageKind::Fpga, {0x02, 0x61}, 256 * 1024);
        const Bytes mcu = fw::makeSyntheticImage(fw::ImageKind::Mcu, {0x03, 0x06}, 256 * 1024);
        writeContainer(container(), fw::makeContainer(fpga, {0x02, 0x61}, mcu, {0x03, 0x06}));
        CliInitialZelmorProDLL();
        CliSetProgressCallback(&Recorder::callback, &recorder);
    }
    void TearDown() override
    {
        CliSetProgressCallback(nullptr, nullptr);
        CliCloseUSBDevice();
        CliCloseZelmorProDLL();
        sim.reset();
    }

    std::filesystem::path container() const { return files.path() / "update.vkfw"; }
    int update()
    {
        const std::wstring path = widePath(container());
        return CliUpdateFirmware(path.c_str(), 0);
    }
    static std::wstring widePath(const std::filesystem::path& path)
    {
        const std::string text = path.string();
        return std::wstring(text.begin(), text.end());
    }
    // The version the device runs after a power cycle.
    uint32_t bootedFirmware()
    {
        CliCloseUSBDevice();
        sim->control("unplug 0");
        sim->control("replug 0");
        EXPECT_EQ(CliCheckUSBDeviceNum(), 1);
        uint32_t firmware = 0;
        EXPECT_EQ(CliTryGetProductInfo(&firmware, nullptr, nullptr, 0), 1);
        return firmware;
    }

    ConfigHome home;
    TempDir files;
    std::optional<SimProcess> sim;
    Recorder recorder;
};

TEST_F(UpdateCancel, ACancelAtTheFirstReportLeavesTheFlashAndTheOldFirmware)
{
    recorder.cancelAt = 0;
    sim->clearLog(0);
    EXPECT_EQ(update(), 0);
    EXPECT_EQ(CliGetLastTransferFailure(), ZEL_TRANSFER_CANCELLED);
    EXPECT_EQ(recorder.done, std::vector<uint64_t>{0});
    const auto frames = sim->commandFrames(0);
    for (uint8_t opcode : {0x36, 0x31, 0x37, 0x34})
        EXPECT_EQ(countFrames(frames, opcode), 0u) << "opcode 0x" << std::hex << int{opcode};
    EXPECT_EQ(bootedFirmware(), kOldFirmware);

    recorder = Recorder{};
    EXPECT_EQ(update(), 1) << "the device takes the next update";
    EXPECT_EQ(bootedFirmware(), kNewFirmware);
}

class UpdateCancelLater : public UpdateCancel, public ::testing::WithParamInterface<double> {};

TEST_P(UpdateCancelLater, IsNotFollowedOnceTheEraseHasBegun)
{
    recorder.cancelAt = GetParam();
    EXPECT_EQ(update(), 1);
    EXPECT_EQ(CliGetLastTransferFailure(), 0);
    EXPECT_TRUE(recorder.asked);
    ASSERT_GE(recorder.done.size(), 3u) << "reports while the pages go";
    EXPECT_EQ(recorder.done.front(), 0u);
    EXPECT_TRUE(std::is_sorted(recorder.done.begin(), recorder.done.end()));
    EXPECT_EQ(recorder.done.back(), recorder.total);
    EXPECT_EQ(sim->control("violations 0"), "");
    EXPECT_EQ(bootedFirmware(), kNewFirmware);
}

INSTANTIATE_TEST_SUITE_P(AtTenFiftyAndNinetyNinePercent, UpdateCancelLater, ::testing::Values(0.10, 0.50, 0.99),
                         [](const auto& info) { return std::to_string(static_cast<int>(info.param * 100)) + "Percent"; });

}  // namespace
}  // namespace zel::test::maintenance
