// One firmware update of one emulator, with the operation-log lines of the manual update or the
// voltage firmware exchange. The update stops on a cancel only before the on-board flash is
// touched; once it is erased, only the finished update leaves firmware the emulator can boot.
//
// Threads: runFirmwareUpdate() runs on the operation worker; nothing else talks to the emulator
// meanwhile (the frame's controls are off and its polling skips device work).
#pragma once

#include <filesystem>

#include "DeviceApi.h"
#include "LogQueue.h"

namespace zel::gui::help {

struct UpdateTexts {
    const char* starting;    // logged when the update starts
    const char* successLog;  // logged when it is done
    const char* successBox;  // then shown
    const char* failureBox;  // shown when it failed
};

inline constexpr UpdateTexts kManualUpdateTexts{
    "Firmware Updating...Please wait....", "Firmware Update Complete!",
    "Firmware update finished! Please re-plug the emulator.", "Firmware update failed!"};
inline constexpr UpdateTexts kVoltageUpdateTexts{
    "Voltage Firmware Updating...Please Wait...", "Voltage Change Success!",
    "Voltage Firmware updated.  Please disconnect the USB and then re-plug the emulator.", "Voltage Change Failed!"};

enum class UpdateOutcome { Updated, Failed, Cancelled };

// The update itself (texts.starting is the caller's, logged before the worker starts).
UpdateOutcome runFirmwareUpdate(session::DeviceApi& api, int index, const std::filesystem::path& source,
                                const UpdateTexts& texts, LogSink& log);

}  // namespace zel::gui::help
