// The emulation memory of both chip slots (bit 31 of an address selects the slot), 256 MiB
// each, allocated as it is written. Written by opcode 0x40 and its data phase, read back by 0x41.
#pragma once

#include "core/Findings.h"
#include "core/SparseMemory.h"
#include "device/CommandTable.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace zel::sim {

class EmulationMemory {
public:
    static constexpr uint64_t kSlotSize = uint64_t{256} << 20;

    // A position inside one chip slot; the offset may lie beyond the slot's memory.
    struct Location {
        unsigned slot;
        uint64_t offset;
    };
    static Location locate(uint32_t address) { return {address >> 31, address & 0x7FFFFFFFu}; }

    explicit EmulationMemory(Findings& findings) : findings_(findings) {}

    // Takes `length` bytes from `data`; bytes beyond the slot's memory are dropped.
    bool write(Location at, uint64_t length, OutData& data);
    // Bytes beyond the slot's memory read 0xFF.
    void appendTo(Location at, uint64_t length, InData& reply) const;
    std::vector<uint8_t> read(Location at, uint64_t length) const;
    // Bytes beyond the slot's memory are not kept, as for a write.
    void fill(Location at, uint64_t length, uint8_t value);
    // The transfer-log digest (simwire/DataDigest.h) of the bytes a read would return.
    uint64_t digest(Location at, uint64_t length) const;
    // Fault injection: the byte at `offset` in the data phase of the next memory write that
    // reaches that far is stored inverted, as a flipped bit on the way would leave it.
    void corruptNextWrite(uint64_t offset) { corruptAt_ = offset; }
    void clear();

    void install(CommandTable& table);

private:
    // Bytes of [offset, offset + length) that lie inside the slot's memory.
    static uint64_t inside(uint64_t offset, uint64_t length) {
        return offset >= kSlotSize ? 0 : std::min(length, kSlotSize - offset);
    }

    void applyCorruption(Location phaseStart, uint64_t pieceOffset, uint64_t pieceLength);

    Findings& findings_;
    std::optional<uint64_t> corruptAt_;  // offset in the next write's data phase
    std::array<SparseMemory, 2> slots_{SparseMemory(kSlotSize), SparseMemory(kSlotSize)};
};

}  // namespace zel::sim
