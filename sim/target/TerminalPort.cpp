#include "target/TerminalPort.h"

#include <algorithm>

namespace zel::sim::target {
namespace {

constexpr uint8_t kRead = 0x03, kFastRead = 0x0B, kPageProgram = 0x02;
constexpr uint32_t kWindowSize = 0x1000;

}  // namespace

std::optional<std::vector<uint8_t>> TerminalPort::transact(std::span<const uint8_t> mosi, size_t readLength,
                                                            bool fourByteMode) {
    if (mosi.empty()) return std::nullopt;
    const uint8_t dedicated = static_cast<uint8_t>(registers_.read(HyperTerminal::kCommandRegister));
    if (dedicated != 0 && mosi[0] == dedicated) {
        if (mosi.size() < 2) return std::vector<uint8_t>(readLength, 0xFF);
        return perform(mosi[1], mosi.subspan(2), readLength);
    }
    if (registers_.read(HyperTerminal::kPageProgramRegister) != 1) return std::nullopt;
    return window(mosi, readLength, fourByteMode);
}

std::optional<std::vector<uint8_t>> TerminalPort::window(std::span<const uint8_t> mosi, size_t readLength,
                                                          bool fourByteMode) {
    const uint8_t opcode = mosi[0];
    if (opcode != kRead && opcode != kFastRead && opcode != kPageProgram) return std::nullopt;
    const size_t addressBytes = fourByteMode ? 4 : 3;
    if (mosi.size() < 1 + addressBytes) return std::nullopt;
    uint32_t address = 0;
    for (size_t i = 1; i <= addressBytes; ++i) address = address << 8 | mosi[i];
    const uint32_t top = fourByteMode ? 0xFFFFFFFF : 0xFFFFFF;
    if (address < top - (kWindowSize - 1)) return std::nullopt;
    const auto function = static_cast<uint8_t>(address >> 8 & 0xF);
    const auto argument = static_cast<uint8_t>(address);
    if (opcode == kPageProgram) {
        if (function != Upload) return std::nullopt;
        terminal_.upload(mosi.subspan(1 + addressBytes));
        return std::vector<uint8_t>(readLength, 0xFF);
    }
    const size_t dummy = opcode == kFastRead ? 1 : 0;
    if (mosi.size() > 1 + addressBytes + dummy) return std::nullopt;  // not a plain read
    const uint8_t single[] = {argument};
    return perform(function, function == Download ? std::span<const uint8_t>() : std::span<const uint8_t>(single),
                   readLength);
}

std::vector<uint8_t> TerminalPort::perform(uint8_t function, std::span<const uint8_t> arguments, size_t readLength) {
    std::vector<uint8_t> miso(readLength, 0xFF);
    switch (function) {
    case Upload:
        terminal_.upload(arguments);
        std::fill(miso.begin(), miso.end(), terminal_.targetRegister(0));
        break;
    case ReadRegister:
        if (!arguments.empty() && readLength > 0) miso[0] = terminal_.targetRegister(arguments[0]);
        break;
    case WriteRegister:
        if (arguments.size() >= 2) terminal_.writeTargetRegister(arguments[0], arguments[1]);
        break;
    case Download:
        if (readLength > 0) {
            const auto bytes = terminal_.download(std::min<size_t>(readLength - 1, 255));
            miso[0] = static_cast<uint8_t>(bytes.size());
            std::copy(bytes.begin(), bytes.end(), miso.begin() + 1);
        }
        break;
    default: break;
    }
    return miso;
}

}  // namespace zel::sim::target
