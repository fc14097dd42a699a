// How code on the target reaches the hyper terminal over the SPI bus. Two ways, chosen by FPGA
// registers 0x82 and 0x83 (see the README's "Target side"):
//
// Dedicated op-code D (register 0x82 non-zero): D, a function byte, its arguments:
//   D 01 b0 b1 ...   upload: the bytes go into the uFIFO (what fits)
//   D 02 R  + 1 read the terminal register R & 7
//   D 03 R V         write terminal register R & 7 (4-7 only)
//   D 04    + k read byte 0: c = min(k - 1, dFIFO level, 255); then c bytes from the dFIFO; then 0xFF
// Window (register 0x83 = 1): the top 4 KiB of the address space as sent (3-byte: 0xFFF000-
// 0xFFFFFF; 4-byte mode: 0xFFFFF000-0xFFFFFFFF), low 12 bits = function << 8 | argument:
//   Normal/Fast Read (0x03/0x0B) of 0x1BB uploads byte BB, of 0x2RR reads register RR, of 0x400
//   downloads as D 04 above; Page Program (0x02) to 0x100 uploads its data bytes.
// A read that uploads returns register 0 (status) in every byte. Everything else is the chip's.
#pragma once

#include "device/FpgaRegisters.h"
#include "device/HyperTerminal.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zel::sim::target {

class TerminalPort {
public:
    enum Function : uint8_t { Upload = 1, ReadRegister = 2, WriteRegister = 3, Download = 4 };

    TerminalPort(const FpgaRegisters& registers, HyperTerminal& terminal) : registers_(registers), terminal_(terminal) {}

    // The MISO bytes when the transaction is the terminal's; nullopt when it is the chip's.
    std::optional<std::vector<uint8_t>> transact(std::span<const uint8_t> mosi, size_t readLength, bool fourByteMode);

private:
    std::vector<uint8_t> perform(uint8_t function, std::span<const uint8_t> arguments, size_t readLength);
    std::optional<std::vector<uint8_t>> window(std::span<const uint8_t> mosi, size_t readLength, bool fourByteMode);

    const FpgaRegisters& registers_;
    HyperTerminal& terminal_;
};

}  // namespace zel::sim::target
