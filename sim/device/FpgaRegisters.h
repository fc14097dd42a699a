// The FPGA register file: 256 registers of 16 bits, read with opcode 0x22 and written with
// 0x23. Other parts of the model watch writes (tables fed through data-port registers).
#pragma once

#include "device/CommandTable.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace zel::sim {

class FpgaRegisters {
public:
    static constexpr uint8_t kRunState = 0x28;
    static constexpr uint8_t kSpiStatus = 0x2C;
    // Bits 14-15 of the SPI status register: the target's SPI bus is idle.
    static constexpr uint16_t kSpiBusIdle = 0xC000;

    using Observer = std::function<void(uint8_t reg, uint16_t value)>;
    // Maps a written value to what the register keeps (a pin control keeps the pin's state).
    using WriteFilter = std::function<uint16_t(uint16_t written)>;

    FpgaRegisters() { reset(); }

    uint16_t read(uint8_t reg) const { return values_[reg]; }
    void write(uint8_t reg, uint16_t value);
    // Power-on values: everything 0, the SPI bus idle.
    void reset();
    void observe(Observer observer) { observers_.push_back(std::move(observer)); }
    void filterWrites(uint8_t reg, WriteFilter filter) { filters_[reg] = std::move(filter); }
    bool running() const { return values_[kRunState] == 1; }

    void install(CommandTable& table);

private:
    std::array<uint16_t, 256> values_{};
    std::vector<Observer> observers_;
    std::array<WriteFilter, 256> filters_;
};

}  // namespace zel::sim
