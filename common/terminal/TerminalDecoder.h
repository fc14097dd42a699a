// The terminal's receive side without a device: bytes from the receive queue in, rows of the
// colour-coded log and check points out. A message of another type than the one before starts
// on a row of its own.
// Threads: not locked; the thread that drains the queue owns the decoder.
#pragma once

#include "terminal/MessageParser.h"
#include "terminal/MessageText.h"
#include "terminal/TerminalLog.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zel::terminal {

struct CheckPoint {
    std::string code;  // the untranslated code line
    uint8_t type;      // 1, 2 or 3
};

class TerminalDecoder {
public:
    explicit TerminalDecoder(Tables tables = {}) : tables_(std::move(tables)) {}

    // Decodes `bytes`; `onMessage` (optional) sees every message with its text as rendered.
    void feed(std::span<const uint8_t> bytes,
              const std::function<void(const Message&, const MessageText&)>& onMessage = {});
    void clear();  // the log and check points; a message cut part way is still completed

    const TerminalLog& log() const { return log_; }
    const std::vector<CheckPoint>& checkPoints() const { return checkPoints_; }
    uint64_t messages() const { return messages_; }
    uint64_t skippedBytes() const { return parser_.skippedBytes(); }
    void setTables(Tables tables) { tables_ = std::move(tables); }

private:
    Tables tables_;
    MessageParser parser_;
    TerminalLog log_;
    std::vector<CheckPoint> checkPoints_;
    std::optional<uint8_t> lastType_;
    uint64_t messages_ = 0;
};

}  // namespace zel::terminal
