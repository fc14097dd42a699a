// What the front ends ask of the emulator API, one member per Cli export they use. The flows talk
// only to this interface: the program binds it to zelapi (ZelapiDevices), the unit tests to a
// scripted fake.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "DeviceProblem.h"
#include "device/DeviceFacts.h"

namespace zel::session {

struct ProductInfo {
    std::uint32_t firmware = 0;  // byte 0 FPGA minor, 1 FPGA major, 2 MCU minor, 3 MCU major
    std::uint8_t hardware = 0;
    std::wstring name;
    bool answered = true;  // false: the version read failed and firmware is 0, not a version

    std::uint8_t fpgaMinor() const { return word().fpgaMinor(); }
    std::uint8_t fpgaMajor() const { return word().fpgaMajor(); }
    std::uint8_t mcuMinor() const { return word().mcuMinor(); }
    std::uint8_t mcuMajor() const { return word().mcuMajor(); }
    bool isG2() const { return device::isG2(word()); }
    device::FirmwareWord word() const { return {firmware}; }
};

struct ChipInfo {
    std::wstring manufacturer;
    std::wstring chipType;
    std::uint32_t size = 0;
    std::uint32_t voltage = 0;  // millivolts
    bool no4ByteMode = false;
};

struct ImageLoad {
    bool loaded = false;
    std::uint32_t size = 0;
    std::string error;  // why it failed, naming the file
};

struct DownloadRequest {
    bool keepContent = true;  // no --fill: the rest of the memory is kept
    std::uint8_t fillByte = 0xFF;
    std::uint32_t address = 0;  // bit 31 selects target 2
    std::uint32_t length = 0;
    bool truncate = false;
    bool generation2 = false;
    // A vm_mgr host buffer to send from (the _ptr export); 0: the API's in-process buffer.
    std::uint64_t hostBuffer = 0;
};

struct VerifyResult {
    std::uint8_t result = 0;  // the API's result byte: 1 the same
    bool readFailed = false;  // the device memory could not be read (the result is then 0)
    bool cancelled = false;   // stopped by a cancel before the comparison was complete
};

// The serial number of an emulator whose identity page cannot be read.
inline constexpr std::uint32_t kSerialNotAvailable = 0xFFFFFFFF;

struct MemoryRead {
    std::uint8_t result = 0;              // the API's result byte: 1 read
    std::span<const std::uint8_t> bytes;  // valid until the next read
};

class DeviceApi {
public:
    virtual ~DeviceApi() = default;

    virtual void open() = 0;   // CliInitialZelmorProDLL
    virtual void close() = 0;  // releases the devices, then CliCloseZelmorProDLL
    // Every emulator found, opened or not: indices 0..count-1.
    virtual int deviceCount() = 0;

    virtual bool isOpened(int index) = 0;
    // Why device index cannot be used (-1: why the enumeration found none); nothing when nothing
    // is known. Asked after a failure, to explain it.
    virtual DeviceProblem problem(int index) { return {}; }
    // Emulating or stopped; nullopt when the emulator does not answer.
    virtual std::optional<bool> emulationState(int index) = 0;
    // A state that cannot be read counts as stopped: only for flows whose next transfer then
    // fails and says so.
    bool isEmulating(int index) { return emulationState(index).value_or(false); }
    virtual std::uint32_t serialNumber(int index) = 0;  // kSerialNotAvailable when unknown
    virtual ProductInfo productInfo(int index) = 0;

    virtual void bootFromEmulator(int index) = 0;
    virtual void setResetPin(bool enable, int index) = 0;
    // True when the emulator is emulating (stopped) afterwards.
    virtual bool startEmulation(int index) = 0;
    virtual bool stopEmulation(int index) = 0;
    virtual void setHoldPin(std::uint8_t mode, int index) = 0;
    virtual void setMisoDriven(std::uint8_t value) = 0;
    virtual void setChipSelect(bool flag, int index) = 0;

    virtual ChipInfo configFileInfo(const std::filesystem::path& cfgFile) = 0;
    // True when the emulator took the whole configuration.
    virtual bool setChipType(const std::filesystem::path& cfgFile, bool target2, int index) = 0;
    virtual void useLargeBuffer(int index) = 0;
    virtual void setAddressLength(bool threeByte, int index) = 0;
    virtual void setQeBit(int index) = 0;
    virtual void setDieEraseSize(int index) = 0;
    virtual void reconfigureFpga(int index) = 0;
    virtual int switchFpgaVersion(std::uint32_t location, int index) = 0;

    virtual ImageLoad loadImage(const std::filesystem::path& file, bool large) = 0;
    virtual std::uint8_t download(const DownloadRequest& request, int index) = 0;
    virtual MemoryRead read(std::uint32_t address, std::uint32_t length, bool generation2, int index) = 0;
    virtual bool saveToFile(std::span<const std::uint8_t> bytes, const std::filesystem::path& file) = 0;
    virtual VerifyResult verify(std::uint32_t address, std::uint32_t length, bool generation2, int index) = 0;
    // The same against the vm_mgr host buffer `hostBuffer` from its offset 0.
    virtual VerifyResult verifyHost(std::uint64_t hostBuffer, std::uint32_t address, std::uint32_t length,
                                    bool generation2, int index) = 0;

    virtual int updateFirmware(const std::filesystem::path& file, int index) = 0;
    // The API's file check (CliFileCheckSum): the size of the bytes the file loads to; nothing
    // when it cannot be loaded.
    virtual std::optional<std::uint32_t> loadableFileSize(const std::filesystem::path&) { return std::nullopt; }
    // The device the API's current-device exports (the serial-number write) work on.
    virtual int currentDevice() { return 0; }
    // Writes the serial number of currentDevice(); true when it read back as written.
    virtual bool writeSerialNumber(std::uint32_t) { return false; }
    virtual int writeRpmc(std::span<const std::uint8_t> table, int index) = 0;

    // The fixed pause after an FPGA image switch.
    virtual void pause(std::chrono::milliseconds duration, int index) = 0;
};

}  // namespace zel::session
