// The hyper terminal: a bank of eight registers and two byte FIFOs between code on the target
// and the host. The uFIFO (target to host) holds 4,096 bytes, the dFIFO (host to target) 512.
// USB reaches it with 0x50-0x53; the target bus with the protocol in target/TerminalProtocol.h.
// Both FIFOs and the registers live in the FPGA: a reload or a power loss empties them.
//
// Registers as read: 0 status (bit 4: emulation not running, bit 5: uFIFO empty, bit 6: dFIFO
// empty), 1 uFIFO level, 2 dFIFO level (levels as min(level, 255)), 3 identification (0x5A to
// the target, 0 over USB), 4-7 the last byte written (4: uFIFO data format, 5: timer).
//
// FPGA register 0x81 selects the port: 0 USB, 1 the serial port (not modelled: USB then sees an
// empty uFIFO and its dFIFO writes store nothing). 0x82 and 0x83 select the target's op-codes.
#pragma once

#include "device/CommandTable.h"
#include "device/FpgaRegisters.h"

#include <cstdint>
#include <array>
#include <deque>
#include <span>
#include <vector>

namespace zel::sim {

class HyperTerminal {
public:
    static constexpr size_t kUpCapacity = 4096;
    static constexpr size_t kDownCapacity = 512;
    static constexpr uint8_t kPortRegister = 0x81;
    static constexpr uint8_t kCommandRegister = 0x82;
    static constexpr uint8_t kPageProgramRegister = 0x83;
    static constexpr uint8_t kIdentification = 0x5A;
    static constexpr size_t kReceivedKept = 65536;  // of what the target took, for inspection

    explicit HyperTerminal(const FpgaRegisters& fpga) : fpga_(fpga) {}

    void install(CommandTable& table);
    void reset();

    // Target side. Each returns what it moved: bytes stored into the uFIFO (what fits), bytes
    // taken from the dFIFO (at most `max`).
    size_t upload(std::span<const uint8_t> bytes);
    std::vector<uint8_t> download(size_t max);
    uint8_t targetRegister(uint8_t reg) const;
    void writeTargetRegister(uint8_t reg, uint8_t value);

    size_t upLevel() const { return up_.size(); }
    size_t downLevel() const { return down_.size(); }
    uint64_t upDropped() const { return upDropped_; }  // target bytes that found the uFIFO full
    // The newest kReceivedKept bytes the target has taken from the dFIFO since the last reset
    // (for the control CLI).
    const std::vector<uint8_t>& received() const { return received_; }

private:
    bool usbPort() const { return fpga_.read(kPortRegister) == 0; }
    uint8_t registerValue(uint8_t reg) const;
    std::vector<uint8_t> readUp(size_t length);
    size_t storeDown(std::span<const uint8_t> bytes);

    const FpgaRegisters& fpga_;
    std::deque<uint8_t> up_;
    std::deque<uint8_t> down_;
    std::array<uint8_t, 8> plain_{};
    uint64_t upDropped_ = 0;
    std::vector<uint8_t> received_;
    size_t phaseStored_ = 0;  // dFIFO bytes stored by the current 0x52 data phase
};

}  // namespace zel::sim
