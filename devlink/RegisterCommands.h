// FPGA register access and run control of one device.
#pragma once

#include "CommandChannel.h"
#include "device/DeviceFacts.h"

#include <cstdint>
#include <optional>

namespace zel::devlink {

namespace reg = device::reg;

class RegisterCommands {
public:
    explicit RegisterCommands(CommandChannel channel) : channel_(channel) {}

    // nullopt when the frame or the reply failed, so that a read-modify-write can refuse to
    // write back a value it never read.
    std::optional<uint16_t> read(uint8_t reg);
    bool write(uint8_t reg, uint16_t value);

    bool isRunning() { return runState().value_or(false); }
    // nullopt when the run register cannot be read.
    std::optional<bool> runState();
    // Idempotent: the run register is read first and written only when the state must change.
    // True when the emulator is in the asked state afterwards as far as the transfers tell.
    bool run() { return setRunState(true); }
    bool stop() { return setRunState(false); }
    void setOperationLog();

private:
    bool setRunState(bool running);

    CommandChannel channel_;
};

}  // namespace zel::devlink
