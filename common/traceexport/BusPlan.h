// How the bytes of one SPI transaction travel on the bus: in phases of so many bytes, each on one,
// two or four lanes, driven by the master (command, address, written data) or by the chip (read
// data). The last phase takes every byte left. Filled in from the command I/O table's lane and
// direction keys; the waveform exports draw from it.
#pragma once

#include <cstdint>
#include <vector>

namespace zel::traceexport {

struct BusPhase {
    uint32_t bytes = 0;      // ignored for the last phase, which runs to the end
    uint8_t lanes = 1;       // 1, 2 or 4
    bool fromChip = false;   // single lane: on MISO rather than MOSI
};

struct BusPlan {
    std::vector<BusPhase> phases;  // never empty

    // Everything on MOSI: what a command without table entries is taken for.
    static BusPlan masterOnly() { return {{BusPhase{0, 1, false}}}; }
};

}  // namespace zel::traceexport
