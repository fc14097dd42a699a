// The signal-level channels (target supply and reference levels), set by opcode 0x11:
// byte 1 = channel, bytes 2-3 = value.
#pragma once

#include "device/CommandTable.h"

#include <cstdint>
#include <map>

namespace zel::sim {

class LevelChannels {
public:
    // Channels ever written, with their last value.
    const std::map<unsigned, unsigned>& values() const { return values_; }
    void clear() { values_.clear(); }

    void install(CommandTable& table) {
        table.onFrame(0x11, [this](const Frame& f, CommandContext&) { values_[f.byte(1)] = f.number(2, 2); });
    }

private:
    std::map<unsigned, unsigned> values_;
};

}  // namespace zel::sim
