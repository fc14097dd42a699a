#include "FakeDeviceApi.h"

#include <algorithm>
#include <thread>

namespace zel::test {

void FakeDeviceApi::record(const std::string& call, int index) {
    std::lock_guard guard(lock_);
    calls_.push_back(index < 0 ? call : call + " " + std::to_string(index));
}

std::vector<std::string> FakeDeviceApi::calls() const {
    std::lock_guard guard(lock_);
    return calls_;
}

bool FakeDeviceApi::called(const std::string& call) const {
    const auto all = calls();
    return std::find(all.begin(), all.end(), call) != all.end();
}

int FakeDeviceApi::indexOf(const std::string& prefix) const {
    const auto all = calls();
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    }
    return -1;
}

std::optional<bool> FakeDeviceApi::emulationState(int index) {
    const auto& device = devices.at(index);
    if (!device.opened || !device.answers) return std::nullopt;
    return device.emulating;
}

zel::session::ProductInfo FakeDeviceApi::productInfo(int index) {
    const auto& device = devices.at(index);
    if (!device.answers) return {0, 1, device.name, false};
    return {device.firmware, 1, device.name};
}

bool FakeDeviceApi::startEmulation(int index) {
    record("start", index);
    auto& device = devices.at(index);
    if (!device.answers) return false;
    device.emulating = true;
    return true;
}

bool FakeDeviceApi::stopEmulation(int index) {
    record("stop", index);
    auto& device = devices.at(index);
    if (!device.answers) return false;
    device.emulating = false;
    return true;
}

zel::session::ChipInfo FakeDeviceApi::configFileInfo(const std::filesystem::path& cfgFile) {
    record("info " + cfgFile.filename().string());
    return chip;
}

bool FakeDeviceApi::setChipType(const std::filesystem::path& cfgFile, bool target2, int index) {
    record("setchip " + cfgFile.parent_path().filename().string() + "/" + cfgFile.filename().string() + " " +
               std::to_string(target2),
           index);
    const auto& device = devices.at(index);
    return device.answers && !device.chipConfigFails;
}

int FakeDeviceApi::switchFpgaVersion(std::uint32_t location, int index) {
    record("switch " + std::to_string(location), index);
    auto& device = devices.at(index);
    const std::uint32_t major = location == 0 ? device.majorAfter33VSwitch : device.majorAfter18VSwitch;
    device.firmware = (device.firmware & 0xFFFF00FFu) | (major << 8);
    return 1;
}

zel::session::ImageLoad FakeDeviceApi::loadImage(const std::filesystem::path& file, bool large) {
    record("load " + file.filename().string());
    ++imageLoads;
    return image;
}

std::uint8_t FakeDeviceApi::download(const zel::session::DownloadRequest& request, int index) {
    record("download", index);
    std::this_thread::sleep_for(devices.at(index).downloadTime);
    std::lock_guard guard(lock_);
    lastDownload = request;
    return devices.at(index).downloadResult;
}

zel::session::MemoryRead FakeDeviceApi::read(std::uint32_t address, std::uint32_t length, bool, int index) {
    record("read " + std::to_string(address) + " " + std::to_string(length), index);
    const auto& device = devices.at(index);
    const std::uint32_t offset = address & 0x7FFFFFFFu;
    if (device.readFails || offset + static_cast<std::uint64_t>(length) > device.memory.size()) return {0, {}};
    readBuffer_.assign(device.memory.begin() + offset, device.memory.begin() + offset + length);
    return {1, readBuffer_};
}

bool FakeDeviceApi::saveToFile(std::span<const std::uint8_t> bytes, const std::filesystem::path& file) {
    record("save " + std::to_string(bytes.size()));
    return true;
}

zel::session::VerifyResult FakeDeviceApi::verify(std::uint32_t address, std::uint32_t length, bool, int index) {
    record("verify " + std::to_string(address) + " " + std::to_string(length), index);
    const auto& device = devices.at(index);
    if (device.verifyReadFails) return {0, true};
    return {device.verifyResult, false};
}

int FakeDeviceApi::updateFirmware(const std::filesystem::path&, int index) {
    record("update", index);
    return devices.at(index).firmwareUpdateResult;
}

int FakeDeviceApi::writeRpmc(std::span<const std::uint8_t> table, int index) {
    record("rpmc", index);
    std::lock_guard guard(lock_);
    lastRpmcTable.assign(table.begin(), table.end());
    return devices.at(index).rpmcResult;
}

}  // namespace zel::test
