// What every decoding pass needs besides the records: the two command tables, the emulator model
// (for the command table's G2 section), the chip and whether commands are shown by name.
#pragma once

#include "trace/ChipFacts.h"
#include "trace/CommandIoTable.h"
#include "trace/CommandTable.h"

namespace zel::trace {

struct DecodeContext {
    const CommandTable& commands;
    const CommandIoTable& io;
    EmulatorModel model = EmulatorModel::FirstGeneration;
    ChipFacts chip;
    bool translate = false;  // command names instead of opcodes

    bool decoded(std::uint8_t opcode) const { return commands.decodes(opcode, model); }
};

}  // namespace zel::trace
