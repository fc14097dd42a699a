// Command 2: replace the emulator's MCU and FPGA firmware. The delivery form and the images are
// checked first; then the on-board flash is erased, both images are written and verified, and
// the boot marker is written last, only after both verified, so a device never starts from a
// half-written firmware.
#pragma once

#include "CommandChannel.h"
#include "FirmwareProgress.h"

#include <filesystem>

namespace zel::devlink {

struct FirmwareImages;

// The per-user "Encryp.bin" under the configuration folder (Varnik/Zelmor), dropped after an
// update that passed the flash ID check.
std::filesystem::path encrypFilePath();

enum class UpdateOutcome {
    Updated,  // both images written and verified, the boot marker read back
    Failed,
    Stopped,  // the progress function asked to stop before the flash was touched
};

class FirmwareUpdate {
public:
    explicit FirmwareUpdate(CommandChannel channel, FirmwareProgress progress = {nullptr, nullptr})
        : channel_(channel), progress_(progress) {}

    // `source`: a firmware folder on first-generation hardware, a container file on G2.
    // Refusals (version unreadable, bad source, unknown flash) and a stop happen before the
    // flash is touched.
    UpdateOutcome run(const std::filesystem::path& source);

private:
    bool eraseAndWrite(const FirmwareImages& images);
    void touchJedecId();

    CommandChannel channel_;
    FirmwareProgress progress_;
};

}  // namespace zel::devlink
