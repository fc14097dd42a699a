// The addressing mode a trace is decoded in. It starts at the chip's power-up mode and changes
// only on the mode-switch commands 0xB7 (enter 4-byte) and 0xE9 (exit), and not at all on a chip
// with a fixed mode. Opcodes that carry a 4-byte address by themselves (0x13, 0x0C, ...) decode
// four address bytes for their own transaction and leave the mode alone (CommandIoTable's
// AddressBytes). Every pass over a trace (index, list view, writers) follows this one rule, so a
// transaction decodes the same wherever it is viewed from.
#pragma once

#include <cstdint>

#include "trace/ChipFacts.h"

namespace zel::trace {

class AddressModeTracker {
public:
    explicit AddressModeTracker(const ChipFacts& chip)
        : fixed_(chip.fixedAddressing), fourByte_(chip.fourByteAtPowerUp) {}

    bool fourByte() const { return fourByte_; }
    // A command with this opcode has been seen (after its own transaction was decoded).
    void command(std::uint8_t opcode) {
        if (fixed_) return;
        if (opcode == kEnterFourByteMode) fourByte_ = true;
        else if (opcode == kExitFourByteMode) fourByte_ = false;
    }
    void set(bool fourByte) { fourByte_ = fourByte; }

private:
    bool fixed_;
    bool fourByte_;
};

}  // namespace zel::trace
