// A scripted DeviceApi: each device has a state the test sets up; every call that changes
// something is recorded as a short text ("stop 0", "hold 2 0"), so tests see order and targets.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "DeviceApi.h"

namespace zel::test {

struct FakeDevice {
    bool opened = true;
    bool emulating = false;
    bool answers = true;  // false: state and version reads, run, stop and chip configuration fail
    bool chipConfigFails = false;
    std::uint32_t serial = 123456;
    std::uint32_t firmware = 0x0305025F;  // G2, MCU 3.5, FPGA 0x02 (3.3 V) minor 95
    std::wstring name = L"ZelmorPro";
    std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(0x1000, 0xFF);
    bool readFails = false;
    std::uint8_t downloadResult = 1;
    std::uint8_t verifyResult = 1;
    bool verifyReadFails = false;
    int firmwareUpdateResult = 1;
    int rpmcResult = 1;
    std::chrono::milliseconds downloadTime{0};
    // The FPGA major byte after a switch to the 1.8 V / 3.3 V image.
    std::uint8_t majorAfter18VSwitch = 0x82;
    std::uint8_t majorAfter33VSwitch = 0x02;
};

class FakeDeviceApi final : public zel::session::DeviceApi {
public:
    explicit FakeDeviceApi(int devices = 1) : devices(static_cast<size_t>(devices)) {}

    std::vector<FakeDevice> devices;
    zel::session::ChipInfo chip{L"Winbond", L"W25Q32JV", 0x1000, 3300, false};
    zel::session::ImageLoad image{true, 0x100, ""};
    int imageLoads = 0;

    std::vector<std::string> calls() const;
    bool called(const std::string& call) const;
    // Position of the first call starting with `prefix`, or -1.
    int indexOf(const std::string& prefix) const;

    void open() override { record("open"); }
    void close() override { record("close"); }
    int deviceCount() override { return static_cast<int>(devices.size()); }
    bool isOpened(int index) override { return devices.at(index).opened; }
    std::optional<bool> emulationState(int index) override;
    std::uint32_t serialNumber(int index) override { return devices.at(index).serial; }
    zel::session::ProductInfo productInfo(int index) override;

    void bootFromEmulator(int index) override { record("boot", index); }
    void setResetPin(bool enable, int index) override { record("reset " + std::to_string(enable), index); }
    bool startEmulation(int index) override;
    bool stopEmulation(int index) override;
    void setHoldPin(std::uint8_t mode, int index) override { record("hold " + std::to_string(mode), index); }
    void setMisoDriven(std::uint8_t value) override { record("miso " + std::to_string(value)); }
    void setChipSelect(bool flag, int index) override { record("cs " + std::to_string(flag), index); }

    zel::session::ChipInfo configFileInfo(const std::filesystem::path& cfgFile) override;
    bool setChipType(const std::filesystem::path& cfgFile, bool target2, int index) override;
    void useLargeBuffer(int index) override { record("large", index); }
    void setAddressLength(bool threeByte, int index) override { record("addrlen " + std::to_string(threeByte), index); }
    void setQeBit(int index) override { record("qe", index); }
    void setDieEraseSize(int index) override { record("die", index); }
    void reconfigureFpga(int index) override { record("reconfig", index); }
    int switchFpgaVersion(std::uint32_t location, int index) override;

    zel::session::ImageLoad loadImage(const std::filesystem::path& file, bool large) override;
    std::uint8_t download(const zel::session::DownloadRequest& request, int index) override;
    zel::session::MemoryRead read(std::uint32_t address, std::uint32_t length, bool generation2, int index) override;
    bool saveToFile(std::span<const std::uint8_t> bytes, const std::filesystem::path& file) override;
    zel::session::VerifyResult verify(std::uint32_t address, std::uint32_t length, bool generation2, int index) override;
    // zelcmd never verifies from a host buffer: the desktop program does.
    zel::session::VerifyResult verifyHost(std::uint64_t, std::uint32_t address, std::uint32_t length, bool generation2,
                                          int index) override {
        return verify(address, length, generation2, index);
    }
    int updateFirmware(const std::filesystem::path& file, int index) override;
    int writeRpmc(std::span<const std::uint8_t> table, int index) override;
    void pause(std::chrono::milliseconds duration, int index) override {
        record("pause " + std::to_string(duration.count()) + " " + std::to_string(index));
    }

    std::vector<std::uint8_t> lastRpmcTable;
    zel::session::DownloadRequest lastDownload;

private:
    void record(const std::string& call, int index = -1);
    mutable std::mutex lock_;
    std::vector<std::string> calls_;
    std::vector<std::uint8_t> readBuffer_;
};

}  // namespace zel::test
