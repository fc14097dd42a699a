// A script for the simulated target firmware: SPI transactions and hyper-terminal messages,
// one step a line. `#` starts a comment; blank lines are skipped.
//
//   spi HEX [READLEN]    one transaction: HEX is sent, then READLEN bytes (default 0) are read.
//                        `{n}` in HEX stands for the 4-byte big-endian number of the transaction
//                        in the run (0, 1, 2, ...), so every record of a long run is told apart.
//   msg TYPE text TEXT   a terminal message: 40 44 36 47, TYPE (1-7), the length, the payload;
//   msg TYPE hex HEX     TEXT runs to the end of the line.
//   recv MAX             the target takes up to MAX (1-255) bytes from the dFIFO.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace zel::sim::target {

struct ScriptStep {
    enum class Kind { Spi, Message, Receive };
    explicit ScriptStep(Kind k) : kind(k) {}
    Kind kind;
    std::vector<uint8_t> bytes;   // Spi: MOSI; Message: the whole message
    size_t readLength = 0;        // Spi: bytes read; Receive: at most this many
    std::vector<size_t> counterAt;  // Spi: offsets of `{n}` placeholders
};

class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws ScriptError naming the line.
std::vector<ScriptStep> parseTargetScript(const std::string& text);
std::vector<ScriptStep> loadTargetScript(const std::filesystem::path& file);

// The message bytes of a terminal message (header, type, length, payload); payload <= 255 bytes.
std::vector<uint8_t> terminalMessage(uint8_t type, const std::vector<uint8_t>& payload);

}  // namespace zel::sim::target
