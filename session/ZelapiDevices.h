// DeviceApi bound to the zelapi exports.
#pragma once

#include "DeviceApi.h"

#include <array>
#include <atomic>

namespace zel::session {

class ZelapiDevices final : public DeviceApi {
public:
    void open() override;
    void close() override;
    int deviceCount() override;

    bool isOpened(int index) override;
    DeviceProblem problem(int index) override;
    std::optional<bool> emulationState(int index) override;
    std::uint32_t serialNumber(int index) override;
    ProductInfo productInfo(int index) override;

    void bootFromEmulator(int index) override;
    void setResetPin(bool enable, int index) override;
    bool startEmulation(int index) override;
    bool stopEmulation(int index) override;
    void setHoldPin(std::uint8_t mode, int index) override;
    void setMisoDriven(std::uint8_t value) override;
    void setChipSelect(bool flag, int index) override;

    ChipInfo configFileInfo(const std::filesystem::path& cfgFile) override;
    bool setChipType(const std::filesystem::path& cfgFile, bool target2, int index) override;
    void useLargeBuffer(int index) override;
    void setAddressLength(bool threeByte, int index) override;
    void setQeBit(int index) override;
    void setDieEraseSize(int index) override;
    void reconfigureFpga(int index) override;
    int switchFpgaVersion(std::uint32_t location, int index) override;

    ImageLoad loadImage(const std::filesystem::path& file, bool large) override;
    std::uint8_t download(const DownloadRequest& request, int index) override;
    MemoryRead read(std::uint32_t address, std::uint32_t length, bool generation2, int index) override;
    bool saveToFile(std::span<const std::uint8_t> bytes, const std::filesystem::path& file) override;
    VerifyResult verify(std::uint32_t address, std::uint32_t length, bool generation2, int index) override;
    VerifyResult verifyHost(std::uint64_t hostBuffer, std::uint32_t address, std::uint32_t length, bool generation2,
                            int index) override;

    int updateFirmware(const std::filesystem::path& file, int index) override;
    std::optional<std::uint32_t> loadableFileSize(const std::filesystem::path& file) override;
    int currentDevice() override;
    bool writeSerialNumber(std::uint32_t serial) override;
    int writeRpmc(std::span<const std::uint8_t> table, int index) override;

    void pause(std::chrono::milliseconds duration, int index) override;

private:
    // Whether the operation the calling thread just ran on `index` was cancelled; kept per device
    // so that the thread that explains the failure (not the worker) can tell.
    bool noteCancel(int index);

    bool large_ = false;
    std::array<std::atomic<bool>, 128> cancelled_{};
};

}  // namespace zel::session
