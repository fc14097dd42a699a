// The emulation memory of one chip slot as the emulated chip sees it: offsets inside the chip.
#pragma once

#include "device/EmulationMemory.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zel::sim::target {

class SlotMemory {
public:
    SlotMemory(EmulationMemory& memory, unsigned slot) : memory_(memory), slot_(slot) {}

    std::vector<uint8_t> read(uint64_t offset, uint64_t length) const { return memory_.read({slot_, offset}, length); }
    // NOR programming: a bit can only go from 1 to 0.
    void program(uint64_t offset, std::span<const uint8_t> bytes) const;
    void erase(uint64_t offset, uint64_t length) const { memory_.fill({slot_, offset}, length, 0xFF); }

private:
    EmulationMemory& memory_;
    unsigned slot_;
};

}  // namespace zel::sim::target
