#include "SfdpTable.h"

#include <algorithm>
#include <bit>
#include <initializer_list>

namespace zel::catalogue::sfdp {
namespace {

struct Revision {
    std::uint8_t major;
    std::uint8_t minor;
    std::size_t basicDwords;
};

Revision revisionOf(SfdpRevision revision) {
    switch (revision) {
        case SfdpRevision::V1_5: return {1, 5, kLongBasicDwords};
        case SfdpRevision::V1_6: return {1, 6, kLongBasicDwords};
        case SfdpRevision::V1_0:
        case SfdpRevision::None: break;
    }
    return {1, 0, kShortBasicDwords};
}

std::vector<EraseType> eraseTypesOf(const ChipEntry& chip) {
    std::vector<EraseType> types;
    for (auto type : kEraseTypes)
        if (chip.eraseSizes & type.sizeBit) types.push_back(type);
    return types;
}

bool reads(const ChipEntry& chip, std::uint8_t mode) { return (chip.fastReads & mode) != 0; }

// A fast read's half of DWORD 3 or 4: dummy clocks (bits 4:0), mode clocks (7:5), opcode (15:8);
// all zero when the chip lacks it.
std::uint32_t fastReadField(bool supported, unsigned modeClocks, unsigned dummyClocks, std::uint8_t opcode) {
    if (!supported) return 0;
    return (dummyClocks & 0x1F) | ((modeClocks & 7) << 5) | (std::uint32_t{opcode} << 8);
}

std::uint32_t dword1(const ChipEntry& chip) {
    const bool has4K = chip.eraseSizes & erase::k4K;
    std::uint32_t d = 0xFF800000;              // bits 31:24 and 23 unused
    d |= has4K ? 0x01 : 0x03;                  // 4 KiB erase uniform across the chip, or none
    d |= 0x04;                                 // write granularity: 64 bytes or more
    d |= 0xE0;                                 // bits 7:5 unused
    d |= std::uint32_t{has4K ? 0x20u : 0xFFu} << 8;
    if (reads(chip, fastread::k112)) d |= 1u << 16;
    switch (chip.addressMode) {
        case AddressMode::ThreeByte: break;
        case AddressMode::Switchable: d |= 1u << 17; break;
        case AddressMode::FourByte: d |= 2u << 17; break;
    }
    if (reads(chip, fastread::k122)) d |= 1u << 20;
    if (reads(chip, fastread::k144)) d |= 1u << 21;
    if (reads(chip, fastread::k114)) d |= 1u << 22;
    return d;
}

// Density: bits - 1 up to 2 Gbit, else 0x80000000 + log2(bits).
std::uint32_t dword2(const ChipEntry& chip) {
    const std::uint64_t bits = std::uint64_t{chip.size} * 8;
    if (bits <= (std::uint64_t{1} << 31)) return static_cast<std::uint32_t>(bits - 1);
    return 0x80000000u | static_cast<std::uint32_t>(std::countr_zero(bits));
}

std::uint32_t dword3(const ChipEntry& chip) {
    return fastReadField(reads(chip, fastread::k144), 2, 4, 0xEB) |
           fastReadField(reads(chip, fastread::k114), 0, 8, 0x6B) << 16;
}

std::uint32_t dword4(const ChipEntry& chip) {
    return fastReadField(reads(chip, fastread::k112), 0, 8, 0x3B) |
           fastReadField(reads(chip, fastread::k122), 2, 2, 0xBB) << 16;
}

constexpr std::uint32_t kNo222Or444 = 0xFFFFFFEE;  // DWORD 5: bits 0 and 4 clear
constexpr std::uint32_t kNoFastReadHere = 0x0000FFFF;  // DWORDs 6 and 7

// DWORDs 8 and 9: erase type n in byte 2(n-1) (size as log2) and the next byte (opcode).
std::uint32_t eraseTypeDword(const std::vector<EraseType>& types, std::size_t first) {
    std::uint32_t d = 0;
    for (std::size_t i = first; i < types.size() && i < first + 2; ++i)
        d |= (std::uint32_t{types[i].sizeLog2} | std::uint32_t{types[i].opcode} << 8) << (16 * (i - first));
    return d;
}

// A typical time field: the count, in countBits bits, of the smallest unit that holds the time
// (rounded up), with the unit's index above it; a time beyond the largest unit saturates.
std::uint32_t timeField(std::uint32_t amount, unsigned countBits, std::initializer_list<std::uint32_t> units) {
    const std::uint32_t counts = 1u << countBits;
    std::uint32_t index = 0;
    for (auto unit : units) {
        const auto count = std::max<std::uint32_t>(1, (amount + unit - 1) / unit);
        if (count <= counts) return (count - 1) | index << countBits;
        ++index;
    }
    return (counts - 1) | (index - 1) << countBits;
}

// Typical erase times, in ms, of a common chip of our time.
std::uint32_t typicalEraseMs(std::uint8_t sizeBit) {
    switch (sizeBit) {
        case erase::k4K: return 45;
        case erase::k32K: return 120;
        default: return 150;
    }
}

std::uint32_t dword10(const std::vector<EraseType>& types) {
    std::uint32_t d = 4;  // maximum = 2 * (4 + 1) times typical
    for (std::size_t i = 0; i < types.size(); ++i)
        d |= timeField(typicalEraseMs(types[i].sizeBit), 5, {1, 16, 128, 1000}) << (4 + 7 * i);
    return d;
}

std::uint32_t dword11(const ChipEntry& chip) {
    std::uint32_t d = 0x80000000;  // bit 31 reserved
    d |= 2;                                                     // maximum = 6 times typical
    d |= 8u << 4;                                               // 256-byte pages
    d |= timeField(700, 5, {8, 64}) << 8;                       // page program, us
    d |= timeField(30, 4, {1, 8}) << 14;                        // first byte, us
    d |= timeField(3, 4, {1, 8}) << 19;                         // each further byte, us
    const std::uint32_t chipEraseMs = static_cast<std::uint32_t>((std::uint64_t{chip.size} * 2500) >> 20);
    d |= timeField(chipEraseMs, 5, {16, 256, 4000, 64000}) << 24;  // 2.5 s per MiB
    return d;
}

constexpr std::uint32_t kNoSuspend = 0xFFFFFFFF;        // DWORDs 12 and 13: bit 31 set
constexpr std::uint32_t kNoDeepPowerDown = 0xFFFFFF87;  // DWORD 14: legacy busy polling only

std::uint32_t quadEnableRequirement(QuadEnable quad) {
    switch (quad) {
        case QuadEnable::StatusBit6: return 2;   // bit 6 of status register 1
        case QuadEnable::Status2Bit1: return 5;  // bit 1 of status register 2, read 0x35, write 0x01
        case QuadEnable::None:
        case QuadEnable::Always: break;
    }
    return 0;
}

std::uint32_t dword15(const ChipEntry& chip) { return 0xFF000000u | quadEnableRequirement(chip.quad) << 20; }

// DWORD 16: entering 4-byte addressing (bits 31:24), leaving it (23:14), soft reset (13:8),
// reserved bit 7, and how status register 1 is written (6:0).
constexpr std::uint32_t kEnterB7 = 0x01;
constexpr std::uint32_t kEnterDedicatedInstructions = 0x20;
constexpr std::uint32_t kEnterAlways4Byte = 0x40;
constexpr std::uint32_t kExitE9 = 0x001;
constexpr std::uint32_t kSoftReset6699 = 0x10;
constexpr std::uint32_t kReservedBit7 = 0x80;
// Non-volatile, powers up as last written; 0x06 enables writing it. The emulated chips and the
// simulator take 0x01 after 0x06.
constexpr std::uint32_t kStatus1NonVolatileAfter06 = 0x01;

std::uint32_t dword16(const ChipEntry& chip) {
    std::uint32_t enter = 0;
    std::uint32_t exit = 0;
    switch (chip.addressMode) {
        case AddressMode::ThreeByte: break;
        case AddressMode::Switchable:
            enter = kEnterB7;
            exit = kExitE9;
            break;
        case AddressMode::FourByte: enter = kEnterAlways4Byte; break;
    }
    if (chip.fourByteOpcodes) enter |= kEnterDedicatedInstructions;
    return enter << 24 | exit << 14 | kSoftReset6699 << 8 | kReservedBit7 | kStatus1NonVolatileAfter06;
}

std::vector<std::uint32_t> basicTable(const ChipEntry& chip, std::size_t dwords) {
    const auto types = eraseTypesOf(chip);
    std::vector<std::uint32_t> table = {
        dword1(chip), dword2(chip), dword3(chip), dword4(chip), kNo222Or444, kNoFastReadHere, kNoFastReadHere,
        eraseTypeDword(types, 0), eraseTypeDword(types, 2),
    };
    if (dwords == kLongBasicDwords) {
        for (auto d : {dword10(types), dword11(chip), kNoSuspend, kNoSuspend, kNoDeepPowerDown, dword15(chip),
                       dword16(chip)})
            table.push_back(d);
    }
    return table;
}

std::vector<std::uint32_t> fourByteTable(const ChipEntry& chip) {
    const auto types = eraseTypesOf(chip);
    std::uint32_t supported = 0xFFF00000;  // bits 31:20 reserved
    supported |= 0x01 | 0x02 | 0x40;       // 0x13 read, 0x0C fast read, 0x12 page program
    if (reads(chip, fastread::k112)) supported |= 0x04;  // 0x3C
    if (reads(chip, fastread::k122)) supported |= 0x08;  // 0xBC
    if (reads(chip, fastread::k114)) supported |= 0x10;  // 0x6C
    if (reads(chip, fastread::k144)) supported |= 0x20;  // 0xEC
    std::uint32_t opcodes = 0xFFFFFFFF;
    for (std::size_t i = 0; i < types.size(); ++i) {
        supported |= 1u << (9 + i);
        opcodes &= ~(0xFFu << (8 * i));
        opcodes |= std::uint32_t{types[i].fourByteOpcode} << (8 * i);
    }
    return {supported, opcodes};
}

void putDword(std::vector<std::uint8_t>& bytes, std::uint32_t d) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(d >> shift));
}

void putParameterHeader(std::vector<std::uint8_t>& bytes, std::uint16_t id, std::uint8_t major, std::uint8_t minor,
                        std::size_t dwords, std::size_t pointer) {
    bytes.push_back(static_cast<std::uint8_t>(id));
    bytes.push_back(minor);
    bytes.push_back(major);
    bytes.push_back(static_cast<std::uint8_t>(dwords));
    for (int shift = 0; shift < 24; shift += 8) bytes.push_back(static_cast<std::uint8_t>(pointer >> shift));
    bytes.push_back(static_cast<std::uint8_t>(id >> 8));
}

}  // namespace

bool hasFourByteTable(const ChipEntry& chip) { return chip.sfdp == SfdpRevision::V1_6 && chip.fourByteOpcodes; }

std::vector<std::uint8_t> buildTable(const ChipEntry& chip) {
    if (!chip.hasSfdp()) return {};
    const auto revision = revisionOf(chip.sfdp);
    const auto basic = basicTable(chip, revision.basicDwords);
    const bool withFourByte = hasFourByteTable(chip);
    const std::size_t headers = withFourByte ? 2 : 1;
    const std::size_t basicAt = kHeaderSize + headers * kParameterHeaderSize;
    const std::size_t fourByteAt = basicAt + basic.size() * 4;

    std::vector<std::uint8_t> bytes = {'S', 'F', 'D', 'P', revision.minor, revision.major,
                                       static_cast<std::uint8_t>(headers - 1), kLegacyAccessProtocol};
    putParameterHeader(bytes, kBasicTableId, revision.major, revision.minor, basic.size(), basicAt);
    if (withFourByte) putParameterHeader(bytes, kFourByteTableId, 1, 0, kFourByteTableDwords, fourByteAt);
    for (auto d : basic) putDword(bytes, d);
    if (withFourByte)
        for (auto d : fourByteTable(chip)) putDword(bytes, d);
    return bytes;
}

}  // namespace zel::catalogue::sfdp
