#include "control/SlotView.h"

#include "core/SimDevice.h"
#include "device/ChipTables.h"

#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace zel::sim {
namespace {

constexpr unsigned kWordsPerLine = 8;

std::string hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*x", digits, value);
    return text;
}

// The table selects and data ports show as the tables they fill.
bool isTableRegister(unsigned reg) {
    switch (reg) {
    case ChipTables::kSfdpSelect:
    case ChipTables::kSfdpPort0:
    case ChipTables::kSfdpPort1:
    case ChipTables::kProtectionSelect:
    case ChipTables::kProtectionPort0:
    case ChipTables::kProtectionPort1: return true;
    default: return false;
    }
}

std::string registerBlock(const SimDevice& device, unsigned slot) {
    const unsigned base = slot * kSlotRegisterCount;
    std::string text = "registers (slot " + std::to_string(slot) + " numbering, device register = r + 0x" +
                       hex(base, 2) + "):\n";
    for (unsigned r = 0; r < kSlotRegisterCount; ++r) {
        const unsigned reg = (base + r) & 0xFF;
        if (isTableRegister(reg)) continue;
        if (unsigned value = device.readRegister(reg); value != 0)
            text += "  0x" + hex(r, 2) + "=0x" + hex(value, 4) + "\n";
    }
    return text;
}

std::string levelBlock(const SimDevice& device) {
    std::string text = "levels (the device's, shared by both slots):\n";
    for (auto [channel, value] : device.levels()) text += "  " + std::to_string(channel) + "=" + std::to_string(value) + "\n";
    return text;
}

// dumpTable gives one hex word per line; here they are gathered eight to a line.
std::string tableBlock(const SimDevice& device, const std::string& name, unsigned slot) {
    std::istringstream dump(device.dumpTable(name, slot));
    std::vector<std::string> words;
    for (std::string word; dump >> word;) words.push_back(word);
    std::string text = name + " (" + std::to_string(words.size()) + " words):\n";
    for (size_t i = 0; i < words.size(); ++i) {
        text += (i % kWordsPerLine == 0 ? "  " : " ") + words[i];
        if (i % kWordsPerLine == kWordsPerLine - 1 || i + 1 == words.size()) text += "\n";
    }
    return text;
}

}  // namespace

std::string describeChipSlot(const SimDevice& device, unsigned slot) {
    if (slot > 1) throw std::out_of_range("chip slot 0 or 1");
    if (device.registerCount() != 256) throw Unsupported("this device has no chip slots");
    return registerBlock(device, slot) + levelBlock(device) + tableBlock(device, "sfdp", slot) +
           tableBlock(device, "protect", slot);
}

}  // namespace zel::sim
