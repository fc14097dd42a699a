// Opcodes of the 16-byte command frame, as the device understands them.
#pragma once

#include <cstdint>

namespace zel::devlink {

enum class Opcode : uint8_t {
    ReadFirmwareVersion = 0x10,  // reply 5 bytes
    SetLevel = 0x11,             // 1: channel; 2-3: value
    ReconfigureFpga = 0x20,
    ReadRegister = 0x22,         // 1: register; reply 3 bytes, 1-2 = value
    WriteRegister = 0x23,        // 1: register; 2-3: value
    SwitchFpgaImage = 0x24,      // 1-4: on-board flash address of the bitstream
    ReadFlashId = 0x30,          // reply 3 bytes: JEDEC ID of the on-board flash
    EraseFlashChip = 0x31,
    ReadFlashEraseStatus = 0x32, // reply 1 byte
    ReadFlashPage = 0x33,        // 1-3: address; reply 256 bytes
    WriteFlashPage = 0x34,       // 1-3: address; 4-15: 0xFF; then 256 data bytes
    PrepareFlashWrite = 0x36,
    EraseFlashSector = 0x37,     // 1-3: sector address
    WriteMemory = 0x40,          // 1-4: address; 5-8: length; then the data
    ReadMemory = 0x41,           // 1-4: address; 5-8: length; reply the data
    ReadTerminalRegister = 0x50,
    WriteTerminalRegister = 0x51,
    WriteTerminalDownFifo = 0x52,
    ReadTerminalUpFifo = 0x53,
    WriteRpmc = 0x68,
    ReadTrace = 0xBB,
    BurstReadTrace = 0xBC,
    ResetTrace = 0xBD,
};

}  // namespace zel::devlink
