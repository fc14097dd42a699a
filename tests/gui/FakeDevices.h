// Scripted stand-ins for the API the desktop program's core calls: every call is recorded by
// name, answers come from public fields.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DeviceApi.h"
#include "HolderApi.h"
#include "LogQueue.h"

namespace zel::gui::test {

struct CallLog {
    std::vector<std::string> calls;
    void note(std::string call) { calls.push_back(std::move(call)); }
};

class FakeDevices final : public session::DeviceApi {
public:
    explicit FakeDevices(CallLog& log) : log_(log) {}

    bool opened = true;
    bool emulating = false;
    session::ProductInfo product{0x03010205, 1, L"ZelmorPro", true};
    std::uint32_t serial = 42;
    session::ChipInfo chip{L"Winbond", L"W25Q16JV", 0x200000, 3300, false};
    std::uint32_t imageSize = 0x1000;
    std::uint8_t downloadResult = 1;
    session::VerifyResult verifyResult{1, false, false};
    std::vector<session::DownloadRequest> downloads;
    std::vector<std::uint64_t> verifiedBuffers;

    void open() override {}
    void close() override {}
    int deviceCount() override { return 1; }
    bool isOpened(int) override { return opened; }
    std::optional<bool> emulationState(int) override { return emulating; }
    std::uint32_t serialNumber(int) override { return serial; }
    session::ProductInfo productInfo(int) override { return product; }
    void bootFromEmulator(int) override { log_.note("boot"); }
    void setResetPin(bool, int) override { log_.note("resetPin"); }
    bool startEmulation(int) override { log_.note("start"); emulating = true; return true; }
    bool stopEmulation(int) override { log_.note("stop"); emulating = false; return true; }
    void setHoldPin(std::uint8_t mode, int) override { log_.note("hold " + std::to_string(mode)); }
    void setMisoDriven(std::uint8_t value) override { log_.note("miso " + std::to_string(value)); }
    void setChipSelect(bool flag, int) override { log_.note(flag ? "cs 1" : "cs 0"); }
    session::ChipInfo configFileInfo(const std::filesystem::path&) override { return chip; }
    bool setChipType(const std::filesystem::path&, bool target2, int) override {
        log_.note(target2 ? "chip 2" : "chip 1");
        return true;
    }
    void useLargeBuffer(int) override { log_.note("large"); }
    void setAddressLength(bool threeByte, int) override { log_.note(threeByte ? "addr 3" : "addr 4"); }
    void setQeBit(int) override { log_.note("qe"); }
    void setDieEraseSize(int) override { log_.note("die"); }
    void reconfigureFpga(int) override {}
    int switchFpgaVersion(std::uint32_t, int) override { return 1; }
    session::ImageLoad loadImage(const std::filesystem::path& file, bool) override {
        log_.note("load " + file.filename().string());
        return {true, imageSize, {}};
    }
    std::uint8_t download(const session::DownloadRequest& request, int) override {
        downloads.push_back(request);
        log_.note("download");
        return downloadResult;
    }
    session::MemoryRead read(std::uint32_t, std::uint32_t, bool, int) override { return {1, {}}; }
    bool saveToFile(std::span<const std::uint8_t>, const std::filesystem::path&) override { return true; }
    session::VerifyResult verify(std::uint32_t, std::uint32_t, bool, int) override {
        log_.note("verify");
        return verifyResult;
    }
    session::VerifyResult verifyHost(std::uint64_t hostBuffer, std::uint32_t, std::uint32_t, bool, int) override {
        verifiedBuffers.push_back(hostBuffer);
        return verify(0, 0, false, 0);
    }
    int firmwareResult = 0;
    session::DeviceProblem lastProblem;
    std::optional<std::uint32_t> fileSize;  // what the API's file check loads
    int updateFirmware(const std::filesystem::path& file, int) override {
        log_.note("updateFirmware " + file.string());
        return firmwareResult;
    }
    session::DeviceProblem problem(int) override { return lastProblem; }
    std::optional<std::uint32_t> loadableFileSize(const std::filesystem::path&) override { return fileSize; }
    int rpmcResult = 1;
    std::vector<std::vector<std::uint8_t>> rpmcTables;
    int writeRpmc(std::span<const std::uint8_t> table, int) override {
        log_.note("rpmc");
        rpmcTables.emplace_back(table.begin(), table.end());
        return rpmcResult;
    }
    void pause(std::chrono::milliseconds, int) override {}

private:
    CallLog& log_;
};

class FakeHolder final : public HolderApi {
public:
    explicit FakeHolder(CallLog& log) : log_(log) {}

    int opened = 1;
    std::vector<int> shareEvents;  // answered in turn, then 0
    std::uint32_t lastCommandValue = 0x03C000;

    void closeDevices() override { log_.note("closeDevices"); }
    int renumerate() override { log_.note("renumerate"); return opened; }
    int foundCount() override { return opened; }
    int shareEvent() override {
        if (shareEvents.empty()) return 0;
        const int event = shareEvents.front();
        shareEvents.erase(shareEvents.begin());
        return event;
    }
    void releaseShareEvent() override { log_.note("releaseShare"); }
    std::uint32_t lastCommand(int index) override {
        log_.note("lastCommand " + std::to_string(index));
        return lastCommandValue;
    }
    void setHtPort(bool) override { log_.note("htPort"); }
    void setRstPin(bool on, int) override { log_.note(on ? "rstPin 1" : "rstPin 0"); }
    void setSupply(std::uint32_t millivolts, int) override { log_.note("supply " + std::to_string(millivolts)); }

private:
    CallLog& log_;
};

// Collects log lines in order (messages only).
class Lines final : public LogSink {
public:
    std::vector<std::string> messages;
    void log(std::string message) override { messages.push_back(std::move(message)); }
    bool contains(const std::string& text) const {
        for (const auto& m : messages)
            if (m.find(text) != std::string::npos) return true;
        return false;
    }
};

}  // namespace zel::gui::test
