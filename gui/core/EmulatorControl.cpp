#include "EmulatorControl.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "device/DeviceFacts.h"
#include "text/TextCodec.h"
#include "vm_mgr.h"

namespace zel::gui {
namespace {

constexpr std::uint32_t kTarget2Bit = 0x80000000u;

template <class... Args>
std::string format(const char* pattern, Args... args) {
    char text[512];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

// "Target Memory Region: …" or, with two chips, "Flash 2 Target Memory Region: …".
std::string perFlash(bool dual, int target, const std::string& text) {
    return dual ? format("Flash %d ", target + 1) + text : text;
}

}  // namespace

EmulatorControl::EmulatorControl(session::DeviceApi& api, HolderApi& holder, LogSink& log)
    : api_(api), holder_(holder), log_(log) {}

void EmulatorControl::setDevice(int index, std::uint32_t serial) {
    device_ = index;
    if (serial == serial_) return;
    auto [slot, created] = states_.try_emplace(serial);
    if (created) {
        const EmulatorState& previous = states_.at(serial_);
        slot->second.pins = previous.pins;
        slot->second.download = previous.download;
        slot->second.history = previous.history;
    }
    serial_ = serial;
}

bool EmulatorControl::isOpened() { return api_.isOpened(device_); }
bool EmulatorControl::isEmulating() { return api_.isEmulating(device_); }

void EmulatorControl::markAbsent() { identity_ = DeviceIdentity{}; }

const DeviceIdentity& EmulatorControl::refreshStatus() {
    identity_ = DeviceIdentity{};
    if (!api_.isOpened(device_)) return identity_;
    identity_ = describeDevice(api_.productInfo(device_), api_.serialNumber(device_));
    if (identity_.endOfLife) {
        log_.log("Error: Zelmor is EOL. Please contact Varnik Inc. for geting supprt.");
        return identity_;
    }
    if (!identity_.present) return identity_;
    if (identity_.generation2) api_.useLargeBuffer(device_);
    applyPinSettings();
    logVccCheck();
    return identity_;
}

void EmulatorControl::applyPinSettings() {
    const PinSettings& pins = state().pins;
    api_.setHoldPin(pins.hold, device_);
    api_.setMisoDriven(misoDrivenValue(pins));
    holder_.setRstPin(pins.resetPin, device_);
    holder_.setHtPort(true);
    if (identity_.generation2) api_.setChipSelect(pins.chipSelect, device_);
    api_.setAddressLength(!pins.fourByteMode, device_);
    api_.setQeBit(device_);
    api_.setDieEraseSize(device_);
    log_.log(pins.fourByteMode ? "Emulator is in 4-byte mode! " : "Emulator is in 3-byte mode! ");
}

bool EmulatorControl::vccCompatible() const {
    const auto& chip = state().targets[0].chip;
    if (!chip || !identity_.present) return true;
    // Only firmware with voltage variants says which supply its image drives.
    const bool voltageFirmware = identity_.generation2 || identity_.firmwareText.find('V') != std::string::npos;
    if (!voltageFirmware) return true;
    return (chip->voltage == 1800) == identity_.lowVoltageFirmware;
}

void EmulatorControl::logVccCheck() {
    const auto& chip = state().targets[0].chip;
    if (!chip) return;
    if (!vccCompatible()) {
        if (identity_.generation2) {
            log_.log("Error : The ZelmorPro-G2 firmware is not compatible with the selected chip Vcc.");
            log_.log("Please re-plug the ZelmorPro-G2 and select chip again.");
        } else {
            log_.log("Error : The ZelmorPro firmware is not compatible with the selected chip Vcc.");
        }
        log_.log("Both RUN & Batch function are disabled now!");
        return;
    }
    if (chip->voltage == 1800) log_.log("VCC 1.8V is applied! ");
    else if (chip->voltage == 2500) log_.log("VCC 2.5V is applied! ");
    else log_.log("VCC 3.3V is applied! ");
}

bool EmulatorControl::chooseChip(int target, const std::filesystem::path& cfgFile) {
    const session::ChipInfo info = api_.configFileInfo(cfgFile);
    if (info.chipType.empty() || info.size == 0) {
        log_.log("Error: " + cfgFile.string() + " is not a chip configuration file");
        return false;
    }
    if (!api_.setChipType(cfgFile, target == 1, device_)) {
        log_.log(format("Error: the emulator did not take the configuration of %s", text::wideToUtf8(info.chipType).c_str()));
        return false;
    }
    if (manualSupply_) holder_.setSupply(*manualSupply_, device_);
    ChipChoice chip{cfgFile, text::wideToUtf8(info.manufacturer), text::wideToUtf8(info.chipType), info.size,
                    info.voltage, info.no4ByteMode};
    log_.log(perFlash(target == 1, target, format("Chip: %s %s (0x%x bytes, %u mV) is set", chip.manufacturer.c_str(),
                                                   chip.name.c_str(), chip.size, chip.voltage)));
    state().targets[static_cast<size_t>(target)].chip = std::move(chip);
    if (target == 0) logVccCheck();
    return true;
}

void EmulatorControl::forgetChip(int target) { state().targets[static_cast<size_t>(target)].chip.reset(); }

bool EmulatorControl::loadImage(int target, const ImageChoice& choice, OperationProgress& progress) {
    // The whole image is buffered whatever the chip (chip size 0): a later chip change needs no
    // reload, and the API truncates or refuses at the chip end as the download asks.
    const ImageFileFormat format = choice.format.value_or(formatForPath(choice.file));
    ImageLoadRequest request{choice.file, format, 0, identity_.generation2, choice.fillValue};
    log_.log(loadingLine(choice.file));
    ImageLoadJob job(std::move(request));
    while (!job.finished()) {
        if (progress.cancelRequested()) job.cancel();
        progress.report({session::Operation::Read, device_, std::uint64_t(job.progressPerMille()), 1000});
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    takeLoad(target, format, job.takeResult());
    return image(target) != nullptr;
}

void EmulatorControl::takeLoad(int target, ImageFileFormat format, ImageLoadResult result) {
    TargetState& slot = state().targets[static_cast<size_t>(target)];
    log_.log(result.logLine);
    auto& loaded = images()[static_cast<size_t>(target)];
    loaded = std::move(result.image);
    slot.imageSize = loaded ? loaded->imageLength : 0;
    if (!loaded) {
        slot.image.clear();
        slot.format.clear();
        return;
    }
    slot.image = loaded->path;
    slot.format = std::string(formatName(format));
    state().remember(loaded->path);
}

const LoadedImage* EmulatorControl::image(int target) const {
    const auto found = images_.find(serial_);
    if (found == images_.end()) return nullptr;
    const auto& loaded = found->second[static_cast<size_t>(target)];
    return loaded ? &*loaded : nullptr;
}

void EmulatorControl::growImage(int target, std::uint32_t length) {
    auto& loaded = images()[static_cast<size_t>(target)];
    if (!loaded || length <= loaded->imageLength || length > loaded->buffer.size()) return;
    loaded->imageLength = length;
    state().targets[static_cast<size_t>(target)].imageSize = length;
}

bool EmulatorControl::saveImage(const LoadedImage* loaded, const std::filesystem::path& file) {
    if (!loaded) return false;
    std::vector<std::uint8_t> bytes(loaded->imageLength);
    if (vm_read(bytes.data(), loaded->buffer.handle(), bytes.size()) == 0) return false;
    return api_.saveToFile(bytes, file);
}

std::uint32_t EmulatorControl::targetAddress(int target, std::uint32_t offset) const {
    return target == 1 ? (offset | kTarget2Bit) : offset;
}

RunResult EmulatorControl::run() {
    if (!state().targets[0].chip) return RunResult::NoChip;
    const PinSettings& pins = state().pins;
    api_.setHoldPin(pins.hold, device_);
    api_.bootFromEmulator(0);
    log_.log("System boots from ZelmorPro/Zelmor...");
    log_.log(std::string("ZelmorPro Hold-Pin Setting: ") + holdPinText(pins.hold));
    log_.log(pins.resetPin ? "ZelmorPro Reset-Pin Setting: Enable reset pin"
                           : "ZelmorPro Reset-Pin Setting: Disable reset pin");
    if (!api_.isOpened(device_)) {
        log_.log("Error: Emulator can not be detected\n");
        return RunResult::NoDevice;
    }
    if (api_.isEmulating(device_)) {
        log_.log("Emulator is in Emulation mode now.");
        writeRpmcAtRun();
        return RunResult::AlreadyRunning;
    }
    if (!api_.startEmulation(device_)) {
        log_.log("Error: the emulator did not start emulating");
        return RunResult::NoDevice;
    }
    log_.log("Start Emulator. \nEmulator is in Emulation mode.\nReady to boot your system now.");
    writeRpmcAtRun();
    return RunResult::Started;
}

// Firmware before MCU 2.26 does not know the table; a failed write is said, not hidden.
void EmulatorControl::writeRpmcAtRun() {
    if (!rpmcAtRun_) return;
    const session::ProductInfo info = api_.productInfo(device_);
    if (info.answered && !device::supportsRpmc(info.word())) {
        log_.log("Warning: This version firmware does NOT support RPMC!!");
        log_.log("Please contact Varnik for further support!!");
        return;
    }
    if (api_.writeRpmc(*rpmcAtRun_, device_) != 1) log_.log("Error: the RPMC settings could not be written to the emulator");
}

void EmulatorControl::applyPinChoices() {
    const PinSettings& pins = state().pins;
    api_.setHoldPin(pins.hold, device_);
    api_.setMisoDriven(misoDrivenValue(pins));
    // The reset pin is set here too: the page shows it applied, not only after the next refresh.
    holder_.setRstPin(pins.resetPin, device_);
    holder_.setHtPort(true);
    if (identity_.generation2) api_.setChipSelect(pins.chipSelect, device_);
}

void EmulatorControl::setFourByteMode(bool fourByte) {
    state().pins.fourByteMode = fourByte;
    api_.setAddressLength(!fourByte, device_);
}

void EmulatorControl::stop() {
    if (!api_.isOpened(device_)) {
        log_.log("Error: Emulator can not be detected\n");
    } else if (api_.isEmulating(device_)) {
        api_.stopEmulation(device_);
        log_.log("Stop Emulator. \nEmulator is in STOP mode now.\n");
    } else {
        log_.log("Warning: Emulator  is stoped\n");
    }
    state().pins.hold = kHoldFloating;
    api_.setHoldPin(kHoldFloating, device_);
    log_.log("ZelmorPro Hold-Pin Setting: Floating by default");
}

OperationResult EmulatorControl::failureOf(const char* operation) {
    const session::DeviceProblem problem = api_.problem(device_);
    if (problem.reason == session::Reason::Cancelled) {
        log_.log(format("Error: %s cancelled", operation));
        return OperationResult::Cancelled;
    }
    if (problem) log_.log("Error: " + problem.detail);
    return OperationResult::Failed;
}

OperationResult EmulatorControl::download() {
    if (!api_.isOpened(device_)) {
        log_.log("Error: Emulator can not be detected\n");
        return OperationResult::NoDevice;
    }
    if (api_.isEmulating(device_)) {
        log_.log("Emulator is in Emulation mode now.");
        log_.log("The command can't be executed");
        return OperationResult::Refused;
    }
    log_.log("Downloading, please wait ...\n");
    for (int target = 0; target < 2; ++target) {
        const TargetState& slot = state().targets[static_cast<size_t>(target)];
        if (!slot.chip || (target == 1 && slot.image.empty())) continue;
        const OperationResult result = downloadTarget(target);
        if (result != OperationResult::Done) return result;
    }
    log_.log("Download Complete");
    return OperationResult::Done;
}

std::optional<std::uint32_t> EmulatorControl::startAddress(const TargetState& slot) {
    const DownloadOptions& options = state().download;
    const std::uint32_t chipSize = slot.chip->size;
    if (!options.upTo) {
        if (options.start < chipSize) return options.start;
        log_.log("Error: the address is out of the chip's memory range");
        return std::nullopt;
    }
    // The end address is the last byte the image fills, as the user types it.
    const std::uint64_t end = options.end == 0 ? chipSize - 1u : options.end;
    if (slot.imageSize > end + 1) {
        log_.log(format("Error: The file size(0x%x) > The Up to Address(0x%x)", slot.imageSize, unsigned(end)));
        return std::nullopt;
    }
    if (end >= chipSize) {
        log_.log(format("Error: The Up to Address(0x%x) > chip size(0x%x)", unsigned(end), chipSize));
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(end + 1 - slot.imageSize);
}

OperationResult EmulatorControl::downloadTarget(int target) {
    const TargetState& slot = state().targets[static_cast<size_t>(target)];
    const DownloadOptions& options = state().download;
    const bool dual = state().dualFlash();
    const std::uint64_t chipSize = slot.chip->size;
    const std::optional<std::uint32_t> start = startAddress(slot);
    if (!start) return OperationResult::Refused;
    const std::uint64_t end = std::uint64_t{*start} + slot.imageSize;
    if (end > chipSize && !options.truncate) {
        log_.log("Error: the file length is out of the chip's memory size");
        return OperationResult::Refused;
    }
    const LoadedImage* loaded = image(target);
    if (!loaded) {
        log_.log("Error: The File is not setted.");
        log_.log("Download Failed");
        return OperationResult::Failed;
    }
    log_.log(perFlash(dual, target, format("Target Memory Region: [0x%x, 0x%x)", *start,
                                           static_cast<unsigned>(std::min(end, chipSize)))));
    if (options.fill) log_.log(format("Fill other Memory area with 0x%X", options.fillByte));
    log_.log(std::string("Truncate-File-To-Fit-Memory ") + (options.truncate ? "Enable" : "Disable"));
    session::DownloadRequest request;
    request.keepContent = !options.fill;
    request.fillByte = options.fillByte;
    request.address = targetAddress(target, *start);
    request.length = slot.imageSize;
    request.truncate = options.truncate;
    request.generation2 = identity_.generation2;
    request.hostBuffer = loaded->buffer.handle();
    if (api_.download(request, device_) == 1) return OperationResult::Done;
    const OperationResult failure = failureOf("Download");
    log_.log("Download Failed");
    return failure;
}

OperationResult EmulatorControl::verify() {
    if (!api_.isOpened(device_)) {
        log_.log("Error: Emulator can not be detected\n");
        return OperationResult::NoDevice;
    }
    log_.log("Checking, please wait ...\n");
    OperationResult overall = OperationResult::Done;
    for (int target = 0; target < 2; ++target) {
        const TargetState& slot = state().targets[static_cast<size_t>(target)];
        if (!slot.chip || (target == 1 && slot.image.empty())) continue;
        const OperationResult result = verifyTarget(target);
        if (result == OperationResult::Cancelled) return result;
        if (result != OperationResult::Done) overall = result;
    }
    return overall;
}

OperationResult EmulatorControl::verifyTarget(int target) {
    const TargetState& slot = state().targets[static_cast<size_t>(target)];
    const LoadedImage* loaded = image(target);
    if (!loaded) {
        log_.log("Error: The File is not setted.");
        log_.log("Verify Fail. Checksum is different.\n");
        return OperationResult::Failed;
    }
    const std::optional<std::uint32_t> startAt = startAddress(slot);
    if (!startAt) return OperationResult::Refused;
    const std::uint32_t start = *startAt;
    const std::uint64_t end = std::min<std::uint64_t>(std::uint64_t{start} + slot.imageSize, slot.chip->size);
    log_.log(state().dualFlash() ? format("Reading Flash %d From Address [0x%x, 0x%x)", target + 1, start, unsigned(end))
                                : format("Reading From Address [0x%x, 0x%x)", start, unsigned(end)));
    const session::VerifyResult verified =
        api_.verifyHost(loaded->buffer.handle(), targetAddress(target, start), slot.imageSize, identity_.generation2,
                        device_);
    if (verified.result == 1) {
        log_.log("Verify Pass. Checksum is the same.\n");
        return OperationResult::Done;
    }
    if (verified.cancelled) return failureOf("Verify");
    if (verified.readFailed) failureOf("Verify");
    log_.log("Verify Fail. Checksum is different.\n");
    return OperationResult::Failed;
}

OperationResult EmulatorControl::saveBuffer(const std::filesystem::path& file) {
    const TargetState& slot = state().targets[0];
    if (slot.image.empty()) {
        log_.log("Error: The File is not setted.");
        return OperationResult::Refused;
    }
    log_.log("Save Buffer into a File. Please wait....");
    if (!saveImage(image(0), file)) {
        log_.log("Error: the buffer could not be saved to " + file.string());
        return OperationResult::Failed;
    }
    log_.log("Save Buffer Complete!");
    return OperationResult::Done;
}

OperationResult EmulatorControl::read() {
    readBytes_ = {};
    if (!api_.isOpened(device_)) {
        log_.log("Error: Emulator can not be detected\n");
        return OperationResult::NoDevice;
    }
    const auto& chip = state().targets[0].chip;
    if (!chip) {
        log_.log("Error: The Chip is not setted.");
        return OperationResult::Refused;
    }
    log_.log("Reading, please wait ...\n");
    log_.log(format("Reading From Address [0x%x, 0x%x)", 0u, chip->size));
    const session::MemoryRead memory = api_.read(0, chip->size, identity_.generation2, device_);
    if (memory.result != 1) {
        const OperationResult failure = failureOf("Read");
        log_.log("Read Failed\n");
        return failure;
    }
    readBytes_ = memory.bytes;
    log_.log("Read Complete\n");
    return OperationResult::Done;
}

}  // namespace zel::gui
