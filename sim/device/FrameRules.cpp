#include "device/FrameRules.h"

#include <array>
#include <cstdio>

namespace zel::sim {
namespace {

// Bits first .. last set.
constexpr uint16_t bytes(int first, int last) {
    uint16_t mask = 0;
    for (int i = first; i <= last; ++i) mask = static_cast<uint16_t>(mask | 1u << i);
    return mask;
}

uint64_t pageData(const Frame&) { return 256; }
uint64_t memoryWriteData(const Frame& f) { return f.number(5, 4); }
uint64_t fifoWriteData(const Frame& f) { return f.number(1, 2); }
uint64_t rpmcData(const Frame&) { return 148; }

constexpr FrameRule kRules[] = {
    {0x10, "firmware version", 0, 0, nullptr},
    {0x11, "level channel", bytes(1, 3), 0, nullptr},
    {0x20, "reconfigure FPGA", 0, 0, nullptr},
    {0x22, "register read", bytes(1, 1), 0, nullptr},
    {0x23, "register write", bytes(1, 3), 0, nullptr},
    {0x24, "FPGA image switch", bytes(1, 4), 0, nullptr},
    {0x30, "flash JEDEC ID", 0, 0, nullptr},
    {0x31, "flash chip erase", 0, 0, nullptr},
    {0x32, "flash erase status", 0, 0, nullptr},
    {0x33, "flash page read", bytes(1, 3), 0, nullptr},
    {0x34, "flash page program", bytes(1, 3), bytes(4, 15), pageData},
    {0x36, "flash prepare", 0, 0, nullptr},
    {0x37, "flash sector erase", bytes(1, 3), 0, nullptr},
    {0x40, "memory write", bytes(1, 8), 0, memoryWriteData},
    {0x41, "memory read", bytes(1, 8), 0, nullptr},
    {0x50, "hyper-terminal register read", bytes(1, 1), 0, nullptr},
    {0x51, "hyper-terminal register write", bytes(1, 3), 0, nullptr},
    {0x52, "download FIFO write", bytes(1, 4), 0, fifoWriteData},
    {0x53, "upload FIFO read", bytes(1, 4), 0, nullptr},
    {0x68, "RPMC settings", 0, 0, rpmcData},
    {0xBB, "trace read", bytes(1, 9), 0, nullptr},
    {0xBC, "trace block read", static_cast<uint16_t>(bytes(2, 4) | bytes(9, 9)), 0, nullptr},
    {0xBD, "trace reset", 0, 0, nullptr},
};

}  // namespace

const FrameRule* findFrameRule(uint8_t opcode) {
    for (const auto& rule : kRules)
        if (rule.opcode == opcode) return &rule;
    return nullptr;
}

std::string reservedByteFindings(const Frame& frame, const FrameRule& rule) {
    std::string text;
    for (int i = 1; i < 16; ++i) {
        const uint16_t bit = static_cast<uint16_t>(1u << i);
        uint8_t expected = 0;
        if (rule.fillBytes & bit) expected = 0xFF;
        else if (rule.parameterBytes & bit) continue;
        if (frame.byte(i) == expected) continue;
        char item[48];
        std::snprintf(item, sizeof item, "%sbyte %d is 0x%02x, expected 0x%02x", text.empty() ? "" : ", ", i,
                      frame.byte(i), expected);
        text += item;
    }
    return text;
}

}  // namespace zel::sim
