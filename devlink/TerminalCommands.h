// The hyper terminal's USB side on one device: its register bank, the uFIFO (target to host)
// and the dFIFO (host to target), and the port switch (FPGA register 0x81).
#pragma once

#include "CommandChannel.h"
#include "device/DeviceFacts.h"

#include <cstdint>
#include <optional>
#include <span>

namespace zel::devlink {

inline constexpr size_t kDownFifoMaxWrite = 512;  // data bytes of one dFIFO write
inline constexpr uint8_t kTerminalPortRegister = device::reg::kTerminalPort;

class TerminalCommands {
public:
    explicit TerminalCommands(CommandChannel channel) : channel_(channel) {}

    // nullopt when the frame or the reply failed.
    std::optional<uint8_t> readRegister(uint8_t reg);
    bool writeRegister(uint8_t reg, uint16_t value);
    // Frame 0x53 (bytes 1-2: low 16 bits of the length, 3-4: param), then the reply block of
    // into.size() bytes (the count, then the data) straight into `into`: the caller sizes it
    // length + 2. A failed read leaves `into` as it was.
    bool readUpFifo(std::span<uint8_t> into, uint32_t length, uint32_t param);
    // At most 512 bytes of `data`: frame 0x52, the data, the 2-byte reply. The status byte is
    // reply byte 1; nullopt when a transfer failed.
    std::optional<uint8_t> writeDownFifo(std::span<const uint8_t> data, uint16_t param);
    bool selectPort(bool fromUsb);

private:
    CommandChannel channel_;
};

}  // namespace zel::devlink
