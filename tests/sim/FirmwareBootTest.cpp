// The simulated emulator at power-up: it runs the firmware an update left in its on-board flash
// (boot marker, synthetic MCU and FPGA images) and otherwise the configured version.
#include "SimTestHelpers.h"
#include "TempDir.h"
#include "firmware/SyntheticImage.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zel::test {
namespace {

namespace fw = zel::firmware;
using simwire::Status;
using Bytes = std::vector<uint8_t>;

constexpr uint8_t kFiller = 0xA5;

// Pages of 256 bytes from `base`, the last one padded with 0xFF, as the host's update writes them.
void programArea(RawSimClient& c, uint32_t base, const Bytes& bytes) {
    for (size_t done = 0; done < bytes.size(); done += 256) {
        const auto address = static_cast<uint32_t>(base + done);
        auto frame = makeFrame({0x34, static_cast<uint8_t>(address >> 16), static_cast<uint8_t>(address >> 8),
                                static_cast<uint8_t>(address)});
        std::fill(frame.begin() + 4, frame.end(), 0xFF);
        Bytes page(256, 0xFF);
        std::copy_n(bytes.begin() + static_cast<long>(done), std::min<size_t>(256, bytes.size() - done), page.begin());
        ASSERT_EQ(c.bulkOut(0x01, frame).status, Status::Ok);
        ASSERT_EQ(c.bulkOut(0x01, page).status, Status::Ok);
    }
}

Bytes markerPage() {
    Bytes page(256, 0x00);
    std::copy(fw::kBootMarker.begin(), fw::kBootMarker.end(), page.begin());
    return page;
}

Bytes fpgaImage(fw::Version v) { return fw::makeSyntheticImage(fw::ImageKind::Fpga, v, 3000); }
Bytes mcuImage(fw::Version v) { return fw::makeSyntheticImage(fw::ImageKind::Mcu, v, 2000); }

void installUpdate(RawSimClient& c, const Bytes& fpga, const Bytes& mcu, bool withMarker = true) {
    programArea(c, fw::kFpgaBase, fpga);
    programArea(c, fw::kMcuBase, mcu);
    if (withMarker) programArea(c, fw::kBootMarkerPage, markerPage());
}

Bytes versionAfterReplug(SimProcess& sim) {
    sim.control("unplug 0");
    sim.control("replug 0");
    return openDevice(sim)->ask({0x10}, 5);
}

TEST(SimFirmwareBoot, ACompleteUpdateRunsAtTheNextPowerUp) {
    SimProcess sim({"gen=1"});
    auto c = openDevice(sim);
    installUpdate(*c, fpgaImage({0x03, 0x10}), mcuImage({0x02, 0x28}));
    // The update takes effect only when the device starts again.
    EXPECT_EQ(c->ask({0x10}, 5), (Bytes{kFiller, 0x02, 0x5F, 0x02, 0x1E}));
    c.reset();
    EXPECT_EQ(versionAfterReplug(sim), (Bytes{kFiller, 0x03, 0x10, 0x02, 0x28}));
    EXPECT_NE(sim.control("status").find(" plugged "), std::string::npos);
    // The image switch keeps its rule on top of the booted FPGA version.
    auto again = openDevice(sim);
    again->frame({0x24, 0x00, 0x07, 0x80, 0x00});
    EXPECT_EQ(again->ask({0x10}, 5)[1], 0x83);
    again->frame({0x24, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(again->ask({0x10}, 5)[1], 0x03);
}

TEST(SimFirmwareBoot, TheGenerationFollowsTheBootedMcuMajor) {
    SimProcess sim({"gen=1"});
    installUpdate(*openDevice(sim), fpgaImage({0x02, 0x60}), mcuImage({0x03, 0x07}));
    const auto reply = versionAfterReplug(sim);
    EXPECT_EQ(reply, (Bytes{kFiller, 0x02, 0x60, 0x03, 0x07}));
    EXPECT_EQ(reply[3] & 3, 3);  // the host's G2 test
}

TEST(SimFirmwareBoot, IncompleteOrDamagedFirmwareKeepsTheConfiguredVersion) {
    const Bytes configured{kFiller, 0x02, 0x5F, 0x03, 0x05};
    {
        SCOPED_TRACE("no boot marker");
        SimProcess sim({"gen=2"});
        installUpdate(*openDevice(sim), fpgaImage({4, 1}), mcuImage({3, 9}), false);
        EXPECT_EQ(versionAfterReplug(sim), configured);
    }
    {
        SCOPED_TRACE("damaged MCU image");
        SimProcess sim({"gen=2"});
        auto mcu = mcuImage({3, 9});
        mcu[1500] ^= 0x01;  // the flash is erased, so the flipped bit is stored as given
        installUpdate(*openDevice(sim), fpgaImage({4, 1}), mcu);
        EXPECT_EQ(versionAfterReplug(sim), configured);
    }
    {
        SCOPED_TRACE("broken FPGA header");
        SimProcess sim({"gen=2"});
        auto fpga = fpgaImage({4, 1});
        fpga[0] = 'X';
        installUpdate(*openDevice(sim), fpga, mcuImage({3, 9}));
        EXPECT_EQ(versionAfterReplug(sim), configured);
    }
    {
        SCOPED_TRACE("images swapped");
        SimProcess sim({"gen=2"});
        installUpdate(*openDevice(sim), mcuImage({3, 9}), fpgaImage({4, 1}));
        EXPECT_EQ(versionAfterReplug(sim), configured);
    }
    {
        SCOPED_TRACE("erased after booting");
        SimProcess sim({"gen=2,erase=0"});
        installUpdate(*openDevice(sim), fpgaImage({4, 1}), mcuImage({3, 9}));
        EXPECT_EQ(versionAfterReplug(sim), (Bytes{kFiller, 4, 1, 3, 9}));
        auto c = openDevice(sim);
        ASSERT_EQ(c->frame({0x31}).status, Status::Ok);
        c.reset();
        EXPECT_EQ(versionAfterReplug(sim), configured);
    }
}

// zelsim started on a folder whose flash file already holds the update, bounded by timeout(1).
class OwnSimulator {
public:
    explicit OwnSimulator(const std::filesystem::path& dir) : dir_(dir) {
        run("timeout 20 " + SimProcess::zelsimPath().string() + " start --dir " + dir.string() +
            " --device gen=1 > " + (dir / "start.txt").string());
    }
    ~OwnSimulator() {
        // Best effort: a simulator that is already gone has nothing to stop.
        [[maybe_unused]] int ignored = std::system(("timeout 10 " + SimProcess::zelsimPath().string() + " --dir " +
                                                    dir_.string() + " stop > /dev/null 2>&1").c_str());
    }
    Bytes version() const {
        RawSimClient client(dir_ / "dev00.usb");
        if (client.open().status != Status::Ok) throw std::runtime_error("device not opened");
        return client.ask({0x10}, 5);
    }

private:
    static void run(const std::string& command) {
        if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
    }
    std::filesystem::path dir_;
};

TEST(SimFirmwareBoot, StartingOnAFlashFileThatHoldsAnUpdateBootsIt) {
    TempDir dir;
    std::string flash(2u << 20, '\xFF');
    const auto fpga = fpgaImage({0x05, 0x21});
    const auto mcu = mcuImage({0x02, 0x2A});
    const auto marker = markerPage();
    std::copy(fpga.begin(), fpga.end(), flash.begin() + fw::kFpgaBase);
    std::copy(mcu.begin(), mcu.end(), flash.begin() + fw::kMcuBase);
    std::copy(marker.begin(), marker.end(), flash.begin() + fw::kBootMarkerPage);
    writeBytes(dir / "dev00-1235.flash", flash);
    {
        OwnSimulator sim(dir.path());
        EXPECT_EQ(sim.version(), (Bytes{kFiller, 0x05, 0x21, 0x02, 0x2A}));
        EXPECT_NE(readBytes(dir / "start.txt").find("fw=0x022a0521"), std::string::npos) << readBytes(dir / "start.txt");
    }
    // The flash, and so the firmware, survives a restart.
    OwnSimulator again(dir.path());
    EXPECT_EQ(again.version(), (Bytes{kFiller, 0x05, 0x21, 0x02, 0x2A}));
}

TEST(SimFirmwareBoot, FlashDumpWritesTheWholeFlash) {
    SimProcess sim({"gen=1,serial=77"});
    TempDir dir;
    auto c = openDevice(sim);
    programArea(*c, 0x123400, Bytes{1, 2, 3, 4});
    sim.control("flash-dump 0 " + (dir / "flash.bin").string());
    const auto dump = readBytes(dir / "flash.bin");
    ASSERT_EQ(dump.size(), 2u << 20);
    EXPECT_EQ(dump.substr(0x123400, 5), std::string("\x01\x02\x03\x04\xFF", 5));
    EXPECT_EQ(static_cast<uint8_t>(dump[0x1FFF02]), 77);
    EXPECT_FALSE(std::filesystem::exists(dir / "flash.bin.partial"));
    EXPECT_THROW(sim.control("flash-dump 0 relative.bin"), std::runtime_error);
    EXPECT_THROW(sim.control("flash-dump 0 " + (dir / "missing/flash.bin").string()), std::runtime_error);
}

}  // namespace
}  // namespace zel::test
