// The sample chip configuration shipped in data/samples/ for the demo and for trying the tools:
// a 16 Mbit, 3.3 V serial NOR flash with an SFDP table (JESD216 header and a nine-word basic
// flash parameter table), a protection table and status-register defaults.
//
// Section 1 carries the emulated chip's identity in the registers of data/catalogue/REGISTERS.md:
// JEDEC manufacturer (0x40), device word (0x41), log2 of the size (0x42), address-mode flags
// (0x43: fixed address mode), erase sizes (0x44: 4, 32 and 64 KiB).
#pragma once

#include "chipcfg/ChipConfigWriter.h"

#include <cstdint>
#include <vector>

namespace zel::chipcfg::test {

inline constexpr const char* kSampleFileName = "W25Q16JV.cfg";

inline std::vector<std::uint8_t> sampleSfdpTable() {
    std::vector<std::uint8_t> table = {
        0x53, 0x46, 0x44, 0x50, 0x05, 0x01, 0x00, 0xFF,  // "SFDP", revision 1.5, one parameter header
        0x00, 0x05, 0x01, 0x09, 0x80, 0x00, 0x00, 0xFF,  // basic table: revision 1.5, 9 words at 0x80
    };
    table.resize(0x80, 0xFF);
    const std::uint8_t basic[] = {
        0xE5, 0x20, 0xF1, 0xFF,  // 4 KiB erase 0x20, 1-1-2 / 1-2-2 / 1-4-4 / 1-1-4 reads, 3-byte addresses
        0xFF, 0xFF, 0xFF, 0x00,  // density: 16 Mbit - 1
        0x44, 0xEB, 0x08, 0x6B,  // 1-4-4 read 0xEB, 1-1-4 read 0x6B
        0x08, 0x3B, 0x42, 0xBB,  // 1-1-2 read 0x3B, 1-2-2 read 0xBB
        0xFE, 0xFF, 0xFF, 0xFF,  // no 2-2-2 or 4-4-4 reads
        0xFF, 0xFF, 0x00, 0x00,
        0xFF, 0xFF, 0x44, 0xEB,
        0x0C, 0x20, 0x0F, 0x52,  // erase types: 4 KiB 0x20, 32 KiB 0x52
        0x10, 0xD8, 0x00, 0x00,  // erase types: 64 KiB 0xD8
    };
    table.insert(table.end(), std::begin(basic), std::end(basic));
    return table;
}

inline ChipConfigDescription sampleChipDescription() {
    ChipConfigDescription d;
    d.vendor = L"Winbond";
    d.chipName = L"W25Q16JV";
    d.chipSize = 2u << 20;
    d.voltageMillivolts = 3300;
    d.options = {.fixedAddressMode = true, .quadEnable = false, .dieErase = false};
    d.settings = {{0x40, 0x00EF}, {0x41, 0x4015}, {0x42, 21}, {0x43, 0x0008}, {0x44, 0x0007}};
    d.levels = {{2, 3000}, {3, 1000}, {4, 3300}};
    d.sfdpWords = wordsFromBytes(sampleSfdpTable());
    d.statusDefaults = {{0x30, 0x0000}, {0x31, 0x0000}, {0x32, 0x0060}};
    // Pairs: a block-protect pattern (BP2..BP0 in status bits 2-4) and the first 64 KiB block it
    // protects up to the top of the chip (32: none; the top 1/32, 1/16, ... 1/2; 0: all).
    d.protectionWords = {0x0000, 0x0020, 0x0004, 0x001F, 0x0008, 0x001E, 0x000C, 0x001C,
                         0x0010, 0x0018, 0x0014, 0x0010, 0x0018, 0x0000, 0x001C, 0x0000};
    return d;
}

}  // namespace zel::chipcfg::test
