#include "ZelapiDevices.h"

#include <vector>

#include "text/TextCodec.h"
#include "zelapi.h"

namespace zel::session {
namespace {

std::wstring widePath(const std::filesystem::path& path) { return text::utf8ToWide(path.string()); }

}  // namespace

void ZelapiDevices::open() { CliInitialZelmorProDLL(); }

void ZelapiDevices::close() {
    // Let the emulators go before the desktop program is told to take them back.
    CliCloseUSBDevice();
    CliCloseZelmorProDLL();
}

int ZelapiDevices::deviceCount() {
    CliCheckUSBDeviceNum();  // enumerates afresh
    return CliGetFoundDeviceCount();
}

bool ZelapiDevices::isOpened(int index) { return CliIsZelmorProUSBOpened(index) == 1; }

bool ZelapiDevices::noteCancel(int index) {
    const bool cancelled = (CliGetLastTransferFailure() & ZEL_TRANSFER_CANCELLED) != 0;
    if (index >= 0 && static_cast<size_t>(index) < cancelled_.size()) cancelled_[static_cast<size_t>(index)] = cancelled;
    return cancelled;
}

DeviceProblem ZelapiDevices::problem(int index) {
    if (index >= 0 && static_cast<size_t>(index) < cancelled_.size() && cancelled_[static_cast<size_t>(index)])
        return {Reason::Cancelled, "cancelled on request (interrupt)"};
    char text[512];
    const int code = CliGetDeviceProblem(index, text, sizeof text);
    switch (code) {
    case ZEL_REASON_NONE: return {};
    case ZEL_REASON_NO_DEVICE: return {Reason::NoDevice, text};
    case ZEL_REASON_BUSY: return {Reason::Busy, text};
    case ZEL_REASON_PERMISSION: return {Reason::Permission, text};
    case ZEL_REASON_TIMEOUT: return {Reason::Timeout, text};
    case ZEL_REASON_DISCONNECTED: return {Reason::Disconnected, text};
    default: return {Reason::DeviceError, text};
    }
}

std::optional<bool> ZelapiDevices::emulationState(int index) {
    const int state = CliGetEmulationState(index);
    if (state < 0) return std::nullopt;
    return state != 0;
}

std::uint32_t ZelapiDevices::serialNumber(int index) { return CliGetSerailNumber(index); }

ProductInfo ZelapiDevices::productInfo(int index) {
    ProductInfo info;
    std::vector<wchar_t> name(kZelProductNameChars, L'\0');
    info.answered = CliTryGetProductInfo(&info.firmware, &info.hardware, name.data(), index) == 1;
    info.name = name.data();
    return info;
}

void ZelapiDevices::bootFromEmulator(int index) { CliSystemBootFromZelmorPro(index); }
void ZelapiDevices::setResetPin(bool enable, int index) { CliSetRSTPin(enable, index); }
bool ZelapiDevices::startEmulation(int index) { return CliTryStartEmulation(index) == 1; }
bool ZelapiDevices::stopEmulation(int index) { return CliTryStopEmulation(index) == 1; }
void ZelapiDevices::setHoldPin(std::uint8_t mode, int index) { CliSetHoldPin(mode, index); }
void ZelapiDevices::setMisoDriven(std::uint8_t value) { CliSetMISODriven(value); }
void ZelapiDevices::setChipSelect(bool flag, int index) { CliSetCS(flag, index); }

ChipInfo ZelapiDevices::configFileInfo(const std::filesystem::path& cfgFile) {
    std::vector<wchar_t> vendor(kZelVendorNameChars, L'\0');
    std::vector<wchar_t> chip(kZelChipNameChars, L'\0');
    ChipInfo info;
    std::uint8_t addressModeFlag = 0;
    CliGetConfigFileInfo(widePath(cfgFile).c_str(), vendor.data(), chip.data(), &info.size, &info.voltage,
                         &addressModeFlag);
    info.manufacturer = vendor.data();
    info.chipType = chip.data();
    info.no4ByteMode = addressModeFlag != 0;
    return info;
}

bool ZelapiDevices::setChipType(const std::filesystem::path& cfgFile, bool target2, int index) {
    return CliTrySetChipType(widePath(cfgFile).c_str(), target2, index) == 1;
}

void ZelapiDevices::useLargeBuffer(int index) {
    // Each call allocates a fresh 256 MiB buffer; one is enough for the whole run.
    if (large_) return;
    CliDoSetZelmorProType(true, index);
    large_ = true;
}

void ZelapiDevices::setAddressLength(bool threeByte, int index) { CliSetAddrLen(threeByte, index); }
void ZelapiDevices::setQeBit(int index) { CliSetSetQEbit(index); }
void ZelapiDevices::setDieEraseSize(int index) { CliSetDieEraseSize(index); }
void ZelapiDevices::reconfigureFpga(int index) { CliDoReconfigFPGA(index); }
int ZelapiDevices::switchFpgaVersion(std::uint32_t location, int index) { return CliSwitchFPGAVersion(location, index); }

ImageLoad ZelapiDevices::loadImage(const std::filesystem::path& file, bool large) {
    ImageLoad load;
    std::uint32_t checksum = 0;
    std::uint32_t size = 0;
    CliLoadFileToDLLBuffer(widePath(file).c_str(), &checksum, &size, 0, large);
    const char* error = CliGetLastImageError();
    load.loaded = error != nullptr && *error == '\0';
    load.size = size;
    if (!load.loaded) load.error = error ? error : "the image buffer is not available";
    return load;
}

std::uint8_t ZelapiDevices::download(const DownloadRequest& request, int index) {
    std::uint8_t result = 0;
    if (request.hostBuffer != 0) {
        vm_ptr_t host = request.hostBuffer;
        CliDownloadDLLBufferToZelmorPro_ptr(&host, request.keepContent, request.fillByte, request.address,
                                            request.length, 0, request.truncate, &result, request.generation2,
                                            static_cast<size_t>(index));
    } else {
        CliDownloadDLLBufferToZelmorPro(request.keepContent, request.fillByte, request.address, request.length, 0,
                                        request.truncate, &result, request.generation2, static_cast<size_t>(index));
    }
    noteCancel(index);
    return result;
}

MemoryRead ZelapiDevices::read(std::uint32_t address, std::uint32_t length, bool generation2, int index) {
    MemoryRead read;
    const auto* bytes = CliReadFromZelmorProvector(address, length, &read.result, generation2, static_cast<size_t>(index));
    noteCancel(index);
    if (bytes) read.bytes = std::span<const std::uint8_t>(bytes->data(), bytes->size());
    return read;
}

bool ZelapiDevices::saveToFile(std::span<const std::uint8_t> bytes, const std::filesystem::path& file) {
    const std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
    return CliSaveBufferToFile(&copy, widePath(file).c_str());
}

VerifyResult ZelapiDevices::verify(std::uint32_t address, std::uint32_t length, bool generation2, int index) {
    VerifyResult verified;
    CliZelmorProVerify(address, length, 0, &verified.result, generation2, static_cast<size_t>(index));
    verified.cancelled = noteCancel(index);
    verified.readFailed = verified.result != 1 && (CliGetLastTransferFailure() & ZEL_DEVICE_READ_FAILED) != 0;
    return verified;
}

VerifyResult ZelapiDevices::verifyHost(std::uint64_t hostBuffer, std::uint32_t address, std::uint32_t length,
                                       bool generation2, int index) {
    VerifyResult verified;
    vm_ptr_t host = hostBuffer;
    CliZelmorProVerify_ptr(&host, address, length, 0, &verified.result, generation2, static_cast<size_t>(index));
    verified.cancelled = noteCancel(index);
    verified.readFailed = verified.result != 1 && (CliGetLastTransferFailure() & ZEL_DEVICE_READ_FAILED) != 0;
    return verified;
}

int ZelapiDevices::updateFirmware(const std::filesystem::path& file, int index) {
    const int updated = CliUpdateFirmware(widePath(file).c_str(), index);
    noteCancel(index);
    return updated;
}

std::optional<std::uint32_t> ZelapiDevices::loadableFileSize(const std::filesystem::path& file) {
    std::uint32_t checksum = 0;
    std::uint32_t size = 0;
    if (!CliFileCheckSum(widePath(file).c_str(), &checksum, &size)) return std::nullopt;
    return size;
}

int ZelapiDevices::currentDevice() { return CliGetUSBDevIndex(); }

bool ZelapiDevices::writeSerialNumber(std::uint32_t serial) { return CliWriteSerailNumber(serial); }

int ZelapiDevices::writeRpmc(std::span<const std::uint8_t> table, int index) {
    std::vector<std::uint8_t> block(table.begin(), table.end());
    return CliWriteRPMC(block.data(), static_cast<int>(block.size()), index);
}

void ZelapiDevices::pause(std::chrono::milliseconds duration, int index) {
    CliPauseForZelmorPro(static_cast<unsigned>(duration.count()), index);
}

}  // namespace zel::session
