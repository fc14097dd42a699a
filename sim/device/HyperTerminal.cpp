#include "device/HyperTerminal.h"

#include "core/Transfer.h"

#include <algorithm>

namespace zel::sim {
namespace {

uint8_t level8(size_t level) { return static_cast<uint8_t>(std::min<size_t>(level, 255)); }

}  // namespace

void HyperTerminal::reset() {
    up_.clear();
    down_.clear();
    plain_.fill(0);
    upDropped_ = 0;
    received_.clear();
    phaseStored_ = 0;
}

uint8_t HyperTerminal::registerValue(uint8_t reg) const {
    switch (reg & 7) {
    case 0:
        return static_cast<uint8_t>((fpga_.running() ? 0 : 0x10) | (up_.empty() ? 0x20 : 0) | (down_.empty() ? 0x40 : 0));
    case 1: return level8(up_.size());
    case 2: return level8(down_.size());
    case 3: return kIdentification;
    default: return plain_[reg & 7];
    }
}

uint8_t HyperTerminal::targetRegister(uint8_t reg) const { return registerValue(reg); }

void HyperTerminal::writeTargetRegister(uint8_t reg, uint8_t value) {
    if ((reg & 7) >= 4) plain_[reg & 7] = value;  // 0-3 are read-only
}

size_t HyperTerminal::upload(std::span<const uint8_t> bytes) {
    const size_t n = std::min(bytes.size(), kUpCapacity - up_.size());
    up_.insert(up_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    upDropped_ += bytes.size() - n;
    return n;
}

std::vector<uint8_t> HyperTerminal::download(size_t max) {
    const size_t n = std::min(max, down_.size());
    std::vector<uint8_t> bytes(down_.begin(), down_.begin() + static_cast<std::ptrdiff_t>(n));
    down_.erase(down_.begin(), down_.begin() + static_cast<std::ptrdiff_t>(n));
    received_.insert(received_.end(), bytes.begin(), bytes.end());
    if (received_.size() > kReceivedKept) received_.erase(received_.begin(), received_.end() - kReceivedKept);
    return bytes;
}

// The uFIFO reply block: a big-endian count C, then `length` bytes of which the first C are data.
std::vector<uint8_t> HyperTerminal::readUp(size_t length) {
    const size_t count = usbPort() ? std::min(length, up_.size()) : 0;
    std::vector<uint8_t> block(length + 2, kFiller);
    block[0] = static_cast<uint8_t>(count >> 8);
    block[1] = static_cast<uint8_t>(count);
    std::copy_n(up_.begin(), count, block.begin() + 2);
    up_.erase(up_.begin(), up_.begin() + static_cast<std::ptrdiff_t>(count));
    return block;
}

size_t HyperTerminal::storeDown(std::span<const uint8_t> bytes) {
    const size_t n = usbPort() ? std::min(bytes.size(), kDownCapacity - down_.size()) : 0;
    down_.insert(down_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

void HyperTerminal::install(CommandTable& table) {
    table.onFrame(0x50, [this](const Frame& f, CommandContext& context) {
        const uint8_t reg = f.byte(1) & 7;
        context.reply({kFiller, reg == 3 ? uint8_t{0} : registerValue(reg), kFiller});
    });
    table.onFrame(0x51, [this](const Frame& f, CommandContext&) { writeTargetRegister(f.byte(1), f.byte(3)); });
    table.onFrame(0x53, [this](const Frame& f, CommandContext& context) { context.reply(readUp(f.number(1, 2))); });
    // 0x52: the reply, sent once the data phase is complete, is the number of bytes stored
    // (big-endian): byte 1 is the whole count for the host's writes of up to 255 bytes.
    table.onFrame(0x52, [this](const Frame& f, CommandContext& context) {
        phaseStored_ = 0;
        if (f.number(1, 2) == 0) context.reply({0, 0});
    });
    table.onData(0x52, [this](const Frame& f, OutData& data, uint64_t length, uint64_t offset, CommandContext& context) {
        std::vector<uint8_t> bytes(length);
        if (!data.read(bytes)) return;
        phaseStored_ += storeDown(bytes);
        if (offset + length == f.number(1, 2))
            context.reply({static_cast<uint8_t>(phaseStored_ >> 8), static_cast<uint8_t>(phaseStored_)});
    });
}

}  // namespace zel::sim
