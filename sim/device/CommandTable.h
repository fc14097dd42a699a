// Handlers by opcode. Each part of the device model (registers, flash, memory, ...) installs
// the handlers of its own commands.
#pragma once

#include "core/Findings.h"
#include "core/Transfer.h"
#include "device/Frame.h"
#include "device/ReplyQueue.h"

#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace zel::sim {

// What a handler may do besides changing its own state.
class CommandContext {
public:
    virtual ~CommandContext() = default;
    virtual void reply(std::vector<uint8_t> bytes) = 0;
    virtual void reply(std::unique_ptr<ReplySource> source) = 0;
    virtual Findings& findings() = 0;
};

using FrameHandler = std::function<void(const Frame&, CommandContext&)>;
// Called with (a piece of) the data phase that followed the frame: `length` bytes may be read
// from `data`; they sit at `offset` in the data phase (a host may split a long phase into
// several transfers).
using DataHandler =
    std::function<void(const Frame&, OutData& data, uint64_t length, uint64_t offset, CommandContext&)>;

class CommandTable {
public:
    void onFrame(uint8_t opcode, FrameHandler handler) { frames_[opcode] = std::move(handler); }
    void onData(uint8_t opcode, DataHandler handler) { data_[opcode] = std::move(handler); }
    const FrameHandler& frameHandler(uint8_t opcode) const { return frames_[opcode]; }
    const DataHandler& dataHandler(uint8_t opcode) const { return data_[opcode]; }

private:
    std::array<FrameHandler, 256> frames_;
    std::array<DataHandler, 256> data_;
};

}  // namespace zel::sim
