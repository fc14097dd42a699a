// What the emulation tests read back from the simulator: the frames and data phases a device
// received, and the simulator commands that may not exist in every simulator build.
#pragma once

#include "SimProcess.h"
#include "simwire/DataDigest.h"

#include <cstdint>
#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

namespace zel::test {

using Bytes = std::vector<uint8_t>;

// A 16-byte command frame starting with `head`, every other byte 0.
inline Bytes frame(std::initializer_list<uint8_t> head)
{
    Bytes f(16, 0);
    std::copy(head.begin(), head.end(), f.begin());
    return f;
}

inline Bytes readRegisterFrame(uint8_t reg) { return frame({0x22, reg}); }
inline Bytes writeRegisterFrame(uint8_t reg, uint16_t value)
{
    return frame({0x23, reg, static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)});
}

// Every bulk OUT the device received, whatever its length or status, in order.
inline std::vector<SimLogEntry> outTransfers(const SimProcess& sim, int device)
{
    std::vector<SimLogEntry> outs;
    for (auto& entry : sim.log(device))
        if (entry.kind == SimLogEntry::Kind::Out)
            outs.push_back(std::move(entry));
    return outs;
}

// The whole data of every bulk OUT the device received.
inline std::vector<Bytes> outData(const SimProcess& sim, int device)
{
    std::vector<Bytes> data;
    for (auto& entry : outTransfers(sim, device))
        data.push_back(std::move(entry.data));
    return data;
}

// True when a logged transfer carried exactly `bytes`: the log keeps short transfers whole and
// long ones as their first 16 bytes and a digest.
inline bool carried(const SimLogEntry& entry, const Bytes& bytes)
{
    if (entry.length != bytes.size())
        return false;
    if (entry.whole)
        return entry.data == bytes;
    const Bytes head(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(16, bytes.size())));
    return entry.data == head && entry.hash == simwire::DataDigest::of(bytes);
}

// Sets the SPI status register (0x2C). Where the simulator's target model drives the bus-idle
// bits (14-15), the bus is first put in the state the value names, so the register reads the
// value either way.
inline void setSpiStatus(const SimProcess& sim, int device, uint16_t value)
{
    const bool idle = (value & 0xC000) == 0xC000;
    try {
        sim.control("bus " + std::to_string(device) + (idle ? " idle" : " busy"));
    } catch (const std::runtime_error&) {
        // A simulator without a target model: the register alone decides.
    }
    sim.control("set-reg " + std::to_string(device) + " 0x2c " + std::to_string(value));
}

}  // namespace zel::test
