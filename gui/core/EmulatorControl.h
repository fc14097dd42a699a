// Every device call of the desktop program, for the emulator it works on: the status refresh,
// chip choice and image loading per target, run and stop, download, verify and read-back, each
// with the operation-log messages the user reads.
//
// Images live in host buffers of the vm_mgr store, one pair per target and emulator, and go to
// the device through the API's host-buffer exports; the API's own buffer is not used.
//
// Threads: the user-interface thread owns it. download(), verify(), read(), saveBuffer(),
// loadImage(), and for a batch stop(), run(), isOpened() and isEmulating(), may run on one
// worker thread while the user-interface thread makes no other call and changes no state (the
// device libraries take no locks); log lines go through the thread-safe LogSink.
#pragma once

#include <cstdint>
#include <filesystem>
#include <array>
#include <map>
#include <optional>
#include <span>
#include <string>

#include "DeviceApi.h"
#include "DeviceIdentity.h"
#include "EmulatorState.h"
#include "HolderApi.h"
#include "LogQueue.h"
#include "OperationProgress.h"
#include "dialogs/core/ImageLoadJob.h"
#include "rpmc/RpmcTable.h"

namespace zel::gui {

enum class OperationResult { Done, Failed, Refused, NoDevice, Cancelled };
enum class RunResult { Started, AlreadyRunning, NoChip, NoDevice };

class EmulatorControl {
public:
    EmulatorControl(session::DeviceApi& api, HolderApi& holder, LogSink& log);

    int device() const { return device_; }
    // Works on emulator `index` from now on, with the choices made for it before (keyed by its
    // serial number); a new emulator starts with the pin and download settings of the last one
    // and no chip or file.
    void setDevice(int index, std::uint32_t serial);
    EmulatorState& state() { return states_[serial_]; }
    const EmulatorState& state() const { return states_.at(serial_); }
    const DeviceIdentity& identity() const { return identity_; }

    // Reads the identity, applies the pin settings and checks the chip's supply; the identity.
    const DeviceIdentity& refreshStatus();
    void markAbsent();
    bool isOpened();
    bool isEmulating();

    // Applies a chip configuration to the target (0 or 1); false with a logged reason.
    bool chooseChip(int target, const std::filesystem::path& cfgFile);
    void forgetChip(int target);
    // Loads the chosen file into the target's host buffers through an image-load job, showing its
    // progress in `progress` and stopping at its cancel. A load that fails or is cancelled leaves
    // the target with no file: nothing earlier can then be downloaded under the new name.
    bool loadImage(int target, const ImageChoice& choice, OperationProgress& progress);
    // The target's loaded image; null when none is.
    const LoadedImage* image(int target) const;
    // The buffer editor changed bytes past the image's end: the image, what a download sends,
    // grows to `length` bytes (never shrinks) so that those bytes are sent too.
    void growImage(int target, std::uint32_t length);
    // The selected chip's supply suits the emulator's firmware (true without a chip).
    bool vccCompatible() const;

    RunResult run();
    void stop();
    OperationResult download();
    OperationResult verify();
    OperationResult read();
    // Writes target 1's image as the buffer holds it, in the format of the file's extension.
    OperationResult saveBuffer(const std::filesystem::path& file);
    // The last read-back's bytes, valid until the next device operation.
    std::span<const std::uint8_t> readBytes() const { return readBytes_; }

    // A supply (millivolts) set after every chip configuration, in place of the chip's own;
    // nothing: the chip's.
    void setManualSupply(std::optional<std::uint32_t> millivolts) { manualSupply_ = millivolts; }
    // The RPMC table written after each Run; nothing: none is written.
    void setRpmcAtRun(std::optional<rpmc::RpmcTable> table) { rpmcAtRun_ = table; }
    // Hold pin, MISO drive, reset pin, the terminal port and (G2) chip select from the pin settings.
    void applyPinChoices();
    // Stores the address mode and sets it on the emulator.
    void setFourByteMode(bool fourByte);

private:
    void writeRpmcAtRun();
    void applyPinSettings();
    void logVccCheck();
    // Where the target's image goes: the start address or, up to an address, that address less
    // the image's size. Nothing, with the reason logged, when that range does not fit the chip.
    std::optional<std::uint32_t> startAddress(const TargetState& slot);
    void takeLoad(int target, ImageFileFormat format, ImageLoadResult result);
    bool saveImage(const LoadedImage* loaded, const std::filesystem::path& file);
    std::array<std::optional<LoadedImage>, 2>& images() { return images_[serial_]; }
    std::uint32_t targetAddress(int target, std::uint32_t offset) const;
    OperationResult downloadTarget(int target);
    OperationResult verifyTarget(int target);
    OperationResult failureOf(const char* operation);

    session::DeviceApi& api_;
    HolderApi& holder_;
    LogSink& log_;
    int device_ = 0;
    std::uint32_t serial_ = session::kSerialNotAvailable;
    std::map<std::uint32_t, EmulatorState> states_{{session::kSerialNotAvailable, EmulatorState{}}};
    DeviceIdentity identity_;
    std::map<std::uint32_t, std::array<std::optional<LoadedImage>, 2>> images_;  // by serial, per target
    std::span<const std::uint8_t> readBytes_;
    std::optional<std::uint32_t> manualSupply_;
    std::optional<rpmc::RpmcTable> rpmcAtRun_;
};

}  // namespace zel::gui
