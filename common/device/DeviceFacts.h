// What the host knows about the emulator hardware, in one place: the firmware version word and
// the generation rule, the FPGA registers the host libraries and front ends address, their bit
// masks, and the buffer sizes per generation. Every host component takes these from here (the
// simulator keeps its own copy on purpose: a fault in one must not hide a fault in the other).
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel::device {

// ---- USB identity ---------------------------------------------------------------------------
// The current design (command frames, the device link) and the earlier design (vendor requests).
inline constexpr std::uint16_t kUsbVendorId = 0x04B4;
inline constexpr std::uint16_t kUsbProductId = 0x1235;
inline constexpr std::uint16_t kEarlierUsbProductId = 0x1234;

// ---- Firmware version -----------------------------------------------------------------------
// Four bytes, least significant first: FPGA minor, FPGA major, MCU minor, MCU major. As one
// little-endian word the MCU version is the top 16 bits (MCU 2.8 = 0x02080000).
struct FirmwareWord {
    std::uint32_t value = 0;

    constexpr std::uint8_t fpgaMinor() const { return static_cast<std::uint8_t>(value); }
    constexpr std::uint8_t fpgaMajor() const { return static_cast<std::uint8_t>(value >> 8); }  // bit 7: 1.8 V image
    constexpr std::uint8_t mcuMinor() const { return static_cast<std::uint8_t>(value >> 16); }
    constexpr std::uint8_t mcuMajor() const { return static_cast<std::uint8_t>(value >> 24); }
    constexpr std::uint32_t mcuVersion() const { return value >> 16; }  // major << 8 | minor
};

// The generation rule, the only one: a device is G2 exactly when both low bits of the MCU major
// byte are set ((byte 3 & 3) == 3). The device link's firmware-update and chip-configuration
// rules are defined by it; the front ends' wording "MCU major version 3" names the same devices
// (first-generation firmware is major 2), so they apply it too rather than a second test.
inline constexpr bool isG2(std::uint8_t mcuMajor) { return (mcuMajor & 0x03) == 0x03; }
inline constexpr bool isG2(FirmwareWord word) { return isG2(word.mcuMajor()); }

// Bit 7 of the FPGA major byte marks the 1.8 V FPGA image.
inline constexpr std::uint8_t kFpga18VFlag = 0x80;
inline constexpr std::uint8_t kFpgaMajorMask = 0x7F;
// The FPGA major bytes a G2 device reports for its two images.
inline constexpr std::uint8_t kG2FpgaMajor18V = 0x82;
inline constexpr std::uint8_t kG2FpgaMajor33V = 0x02;
// First generation: FPGA minor versions from 68 on carry the voltage flag; from 91 on the
// image can enter 4-byte mode.
inline constexpr std::uint8_t kFirstFpgaMinorWithVoltage = 68;
inline constexpr std::uint8_t kFirstFpgaMinorWith4ByteEntry = 91;
// Where the 1.8 V image of a G2 device starts in its on-board flash (the image switch argument).
inline constexpr std::uint32_t kG2Image18VLocation = 0x78000;
// MCU firmware 2.26 (0x021A) is the first that takes the RPMC table.
inline constexpr std::uint32_t kLastMcuWithoutRpmc = 0x0219;
inline constexpr bool supportsRpmc(FirmwareWord word) { return word.mcuVersion() > kLastMcuWithoutRpmc; }

// ---- FPGA registers -------------------------------------------------------------------------
namespace reg {
inline constexpr std::uint8_t kResetControl = 0x10;
inline constexpr std::uint8_t kResetLevel = 0x12;
inline constexpr std::uint8_t kRunState = 0x28;  // 1 = emulating
inline constexpr std::uint8_t kPinControl = 0x2A;
inline constexpr std::uint8_t kLastCommand = 0x2C;  // the target's last SPI command; bits 14-15 bus idle
inline constexpr std::uint8_t kDieEraseSize = 0x3B;
inline constexpr std::uint8_t kQuadEnable = 0x4D;
inline constexpr std::uint8_t kAddressLength = 0x4F;
inline constexpr std::uint8_t kOperationLog = 0x60;  // trace and operation-log control
inline constexpr std::uint8_t kTerminalPort = 0x81;  // hyper terminal: 0 USB, 1 target
inline constexpr std::uint8_t kTerminalCommand = 0x82;
inline constexpr std::uint8_t kTerminalPageProgram = 0x83;
inline constexpr std::uint8_t kPinStatus = 0x90;
inline constexpr std::uint8_t kChipSelectMode = 0xE0;
inline constexpr std::uint8_t kChipSelectTiming = 0xE1;
}  // namespace reg

// Register 0x2A (pin control).
inline constexpr std::uint16_t kHoldModeBits = 0x0003;
inline constexpr std::uint16_t kMisoDrivenBit = 0x0004;
// Register 0x2C: both bits set while the target's SPI bus is idle.
inline constexpr std::uint32_t kSpiBusIdleBits = 0xC000;
// Register 0x60: burst read-out mode, trace and operation-log bits.
inline constexpr std::uint16_t kOperationLogOn = 0x15;
inline constexpr std::uint16_t kTraceBit = 0x10;
inline constexpr std::uint16_t kLogBit = 0x20;

// ---- Host buffers ---------------------------------------------------------------------------
// The API's in-process image buffer: 64 MiB, or 256 MiB for G2 chips (the largest chip).
inline constexpr std::size_t kStandardBufferSize = 0x4000000;
inline constexpr std::size_t kLargeBufferSize = 0x10000000;

}  // namespace zel::device
