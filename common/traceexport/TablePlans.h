// The bus phases of each opcode, from the command tables: the opcode, the address (as wide as the
// addressing mode of the moment says), the dummy bytes and the data, each on its lanes, the data
// from the chip for reads. An opcode the emulator does not decode arrives as raw I/O samples
// (two clocks a byte, IO3..IO0 a nibble), which are drawn as they are: on four lanes.
#pragma once

#include "BusPlan.h"
#include "trace/AddressMode.h"
#include "trace/TraceDecoding.h"

#include <array>
#include <cstdint>

namespace zel::traceexport {

class TablePlans {
public:
    explicit TablePlans(const trace::DecodeContext& context);

    // The plan of the next transaction, whose opcode is `opcode`. Call once per transaction in
    // capture order: the addressing mode follows 0xB7 and 0xE9 as the text decoding does.
    const BusPlan& next(uint8_t opcode);

private:
    BusPlan build(const trace::DecodeContext& context, uint8_t opcode, bool fourByte) const;

    std::array<std::array<BusPlan, 256>, 2> plans_;  // [four-byte mode][opcode]
    trace::AddressModeTracker mode_;
};

}  // namespace zel::traceexport
