// One line of the chip catalogue (data/catalogue/chips.txt): a real chip as the emulator is to
// impersonate it. The catalogue file's own header explains each column.
#pragma once

#include <cstdint>
#include <string>

namespace zel::catalogue {

enum class AddressMode : std::uint8_t {
    ThreeByte,   // "3": 3-byte addresses only
    Switchable,  // "3/4": 3-byte at power-up, 0xB7 / 0xE9 enter and leave 4-byte addressing
    FourByte,    // "4": 4-byte addresses from power-up on, no switch
};

// Erase sizes, as bits; their order is the order of the SFDP erase types.
namespace erase {
inline constexpr std::uint8_t k4K = 0x01;   // 0x20 (4-byte: 0x21)
inline constexpr std::uint8_t k32K = 0x02;  // 0x52 (4-byte: 0x5C)
inline constexpr std::uint8_t k64K = 0x04;  // 0xD8 (4-byte: 0xDC)
}  // namespace erase

// Fast reads beyond 1-1-1, as bits.
namespace fastread {
inline constexpr std::uint8_t k112 = 0x01;  // 0x3B
inline constexpr std::uint8_t k122 = 0x02;  // 0xBB
inline constexpr std::uint8_t k114 = 0x04;  // 0x6B
inline constexpr std::uint8_t k144 = 0x08;  // 0xEB
inline constexpr std::uint8_t kQuad = k114 | k144;
}  // namespace fastread

enum class QuadEnable : std::uint8_t {
    None,         // "no": no quad reads
    StatusBit6,   // "sr1.6": QE is bit 6 of the status register
    Status2Bit1,  // "sr2.1": QE is bit 1 of status register 2
    Always,       // "always": no QE bit, quad reads always work
};

enum class SfdpRevision : std::uint8_t { None, V1_0, V1_5, V1_6 };

struct ChipEntry {
    std::string maker;
    std::string chip;
    std::string flashromName;  // empty when flashrom does not know the chip
    std::uint32_t size = 0;
    std::uint16_t millivolts = 0;
    std::uint32_t jedecId = 0;  // three bytes: manufacturer, memory type, capacity
    AddressMode addressMode = AddressMode::ThreeByte;
    bool fourByteOpcodes = false;
    std::uint8_t eraseSizes = 0;
    std::uint8_t fastReads = 0;
    QuadEnable quad = QuadEnable::None;
    SfdpRevision sfdp = SfdpRevision::None;
    bool fixedAddressMode = false;
    bool qeAsShipped = false;
    bool dieErase = false;
    int line = 0;  // where the catalogue lists it

    std::uint8_t manufacturerId() const { return static_cast<std::uint8_t>(jedecId >> 16); }
    std::uint16_t deviceId() const { return static_cast<std::uint16_t>(jedecId); }
    bool hasSfdp() const { return sfdp != SfdpRevision::None; }
    bool hasFourByteAddressing() const { return addressMode != AddressMode::ThreeByte; }
};

}  // namespace zel::catalogue
