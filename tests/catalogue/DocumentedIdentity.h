// What data/catalogue/REGISTERS.md promises a chip's file carries, computed from the catalogue
// entry by the page's own rules (not by the builder's code), so that the files, the builder and
// the page cannot drift apart unnoticed.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "ChipEntry.h"

namespace zel::catalogue::test {

// Register (slot 0 numbering) -> value.
inline std::map<std::uint8_t, std::uint16_t> documentedIdentity(const ChipEntry& chip) {
    unsigned sizeLog2 = 0;
    while ((std::uint64_t{1} << sizeLog2) < chip.size) ++sizeLog2;

    std::uint16_t addressing = 0;
    if (chip.addressMode != AddressMode::ThreeByte) addressing |= 0x01;
    if (chip.addressMode == AddressMode::FourByte) addressing |= 0x02;
    if (chip.fourByteOpcodes) addressing |= 0x04;
    if (chip.fixedAddressMode) addressing |= 0x08;
    if (chip.qeAsShipped) addressing |= 0x10;
    if (chip.dieErase) addressing |= 0x20;

    std::uint16_t erase = 0;
    if (chip.eraseSizes & erase::k4K) erase |= 0x01;
    if (chip.eraseSizes & erase::k32K) erase |= 0x02;
    if (chip.eraseSizes & erase::k64K) erase |= 0x04;

    std::uint16_t reads = 0;
    if (chip.fastReads & fastread::k112) reads |= 0x01;
    if (chip.fastReads & fastread::k122) reads |= 0x02;
    if (chip.fastReads & fastread::k114) reads |= 0x04;
    if (chip.fastReads & fastread::k144) reads |= 0x08;

    std::uint16_t qePlace = chip.quad == QuadEnable::StatusBit6 ? 1 : chip.quad == QuadEnable::Status2Bit1 ? 2 : 0;
    return {
        {0x40, static_cast<std::uint16_t>(chip.jedecId >> 16)},
        {0x41, static_cast<std::uint16_t>(chip.jedecId & 0xFFFF)},
        {0x42, static_cast<std::uint16_t>(sizeLog2)},
        {0x43, addressing},
        {0x44, erase},
        {0x45, static_cast<std::uint16_t>(reads | qePlace << 4)},
    };
}

struct DocumentedLevel {
    std::uint8_t channel;
    std::uint16_t value;
};

inline std::vector<DocumentedLevel> documentedLevels(std::uint16_t millivolts) {
    switch (millivolts) {
        case 3300: return {{2, 2879}, {3, 1800}, {4, 3300}};
        case 2500: return {{2, 2160}, {3, 1533}, {4, 2500}};
        case 1800: return {{2, 1679}, {3, 1066}, {4, 1800}};
    }
    return {};
}

}  // namespace zel::catalogue::test
