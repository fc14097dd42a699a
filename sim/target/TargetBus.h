// The target board's SPI master on the bus of one simulated emulator: it reaches the emulated
// chip of either chip slot. Not thread-safe by itself: like the rest of the device model it is
// used with the device's model lock held.
//
// The target sees a chip only while the emulator runs (register 0x28 = 1), an identity is
// loaded for the slot (register 0x42 / 0xB2) and the supply (level channel 4) is on; otherwise
// MISO stays high (0xFF). Register 0x2C: bits 14-15 set while the bus is idle, clear during a
// transaction and while the bus is held busy; bits 0-7 hold the opcode of the last transaction.
#pragma once

#include "device/ChipTables.h"
#include "device/EmulationMemory.h"
#include "device/FpgaRegisters.h"
#include "device/LevelChannels.h"
#include "target/SpiNorChip.h"
#include "target/TerminalPort.h"
#include "target/TraceStore.h"

#include <array>
#include <chrono>
#include <optional>
#include <cstdint>
#include <span>
#include <vector>

namespace zel::sim::target {

class TargetBus {
public:
    static constexpr unsigned kSupplyChannel = 4;
    static constexpr uint16_t kLastCommandMask = 0x00FF;

    TargetBus(FpgaRegisters& registers, EmulationMemory& memory, const ChipTables& tables, const LevelChannels& levels,
              size_t traceCapacity = TraceStore::kDefaultCapacity);

    // One transaction on chip slot `slot` (0 or 1): `mosi` is sent, then `readLength` bytes
    // are read. Returns the bytes read.
    std::vector<uint8_t> transact(unsigned slot, std::span<const uint8_t> mosi, size_t readLength);
    bool chipPresent(unsigned slot) const;
    bool fourByteMode(unsigned slot) const { return chips_.at(slot).fourByteMode(); }

    // The device's hyper terminal, reached through the op-codes of target/TerminalPort.h while
    // a chip is present.
    void attachTerminal(HyperTerminal& terminal) { terminal_.emplace(registers_, terminal); }

    // Another master holds the bus (the control interface's `bus N busy`).
    void holdBusy(bool busy);
    bool heldBusy() const { return heldBusy_; }

    const TraceStore& trace() const { return trace_; }
    TraceStore& trace() { return trace_; }

    // The FPGA was reloaded: the chips start afresh; the bus state shows again in 0x2C.
    void fpgaReloaded();
    // Power loss: also the recorded trace is gone.
    void powerCycle();

private:
    void showBusState(bool idle, std::optional<uint8_t> lastCommand = std::nullopt);
    uint64_t ticksNow() const;

    FpgaRegisters& registers_;
    EmulationMemory& memory_;
    const ChipTables& tables_;
    const LevelChannels& levels_;
    std::array<SpiNorChip, 2> chips_;
    TraceStore trace_;
    std::optional<TerminalPort> terminal_;
    bool heldBusy_ = false;
    std::chrono::steady_clock::time_point poweredAt_ = std::chrono::steady_clock::now();
};

}  // namespace zel::sim::target
