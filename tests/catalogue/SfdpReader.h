// A JESD216 reader written for the tests, apart from the generator, so that a table the
// generator gets wrong does not read back as right: the header, the parameter headers, the basic
// flash parameter table and the 4-byte address instruction table, with the fields a host uses.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace zel::catalogue::test {

struct SfdpParameter {
    std::uint16_t id = 0;  // MSB * 256 + LSB
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    std::vector<std::uint32_t> dwords;
};

struct SfdpEraseType {
    std::uint32_t bytes;
    std::uint8_t opcode;
    friend bool operator==(const SfdpEraseType&, const SfdpEraseType&) = default;
};

struct SfdpTableView {
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    std::uint8_t accessProtocol = 0;
    std::vector<SfdpParameter> parameters;

    const SfdpParameter* find(std::uint16_t id) const {
        for (const auto& p : parameters)
            if (p.id == id) return &p;
        return nullptr;
    }
};

// The table, or what is wrong with it in `why`.
std::optional<SfdpTableView> readSfdp(std::span<const std::uint8_t> bytes, std::string& why);

// A typical time of DWORD 10 or 11: (count + 1) units, and the unit, which bounds its rounding.
struct SfdpTime {
    std::uint32_t value = 0;  // us for programs, ms for erases
    std::uint32_t unit = 0;
};

// DWORD 16 bits 31:24: how the host enters 4-byte addressing.
struct EnterFourByteMethods {
    bool b7 = false;                       // 0xB7
    bool writeEnableB7 = false;            // 0x06, then 0xB7
    bool extendedAddressRegister = false;  // 8-bit volatile register, 0xC5 / 0xC8
    bool bankRegister = false;             // 8-bit volatile register, 0x17 / 0x16, bit 7
    bool nonVolatileConfig = false;        // 16-bit non-volatile register, 0xB1 / 0xB5, bit 0
    bool dedicatedInstructionSet = false;  // 4-byte address opcodes
    bool always = false;                   // always in 4-byte mode
    bool reserved = false;
    friend bool operator==(const EnterFourByteMethods&, const EnterFourByteMethods&) = default;
};

// DWORD 16 bits 23:14: how the host leaves 4-byte addressing.
struct ExitFourByteMethods {
    bool e9 = false;                       // 0xE9
    bool writeEnableE9 = false;            // 0x06, then 0xE9
    bool extendedAddressRegister = false;  // 0xC5
    bool bankRegister = false;             // 0x17
    bool nonVolatileConfig = false;        // 0xB1
    bool hardwareReset = false;
    bool softwareReset = false;
    bool powerCycle = false;
    bool reserved = false;
    friend bool operator==(const ExitFourByteMethods&, const ExitFourByteMethods&) = default;
};

// DWORD 16 bits 6:0: how status register 1 is written; none set means it is read only.
struct Status1WriteMethods {
    bool nonVolatileAfter06 = false;         // non-volatile, powers up as last written, 0x06 enables writes
    bool volatileAfter06 = false;            // volatile, powers up as all ones, 0x06 enables writes
    bool volatileAfter50 = false;            // volatile, powers up as all ones, 0x50 enables writes
    bool nonVolatile06OrVolatile50 = false;  // non-volatile written after 0x06, overridden after 0x50
    bool mixedAfter06 = false;               // volatile and non-volatile bits, 0x06 enables writes
    bool reserved = false;
    friend bool operator==(const Status1WriteMethods&, const Status1WriteMethods&) = default;
};

std::ostream& operator<<(std::ostream& out, const SfdpTime& time);
std::ostream& operator<<(std::ostream& out, const EnterFourByteMethods& methods);
std::ostream& operator<<(std::ostream& out, const ExitFourByteMethods& methods);
std::ostream& operator<<(std::ostream& out, const Status1WriteMethods& methods);

// DWORDs 10 to 16 of a JESD216A-or-later basic table.
struct LongFormFields {
    std::array<SfdpTime, 4> eraseTypicalMs;  // erase types 1 to 4, as DWORDs 8 and 9 number them
    unsigned pageBytes = 0;
    SfdpTime pageProgramUs, firstByteProgramUs, additionalByteProgramUs;
    SfdpTime chipEraseMs;
    unsigned quadEnableRequirement = 0;
    EnterFourByteMethods enterFourByte;
    ExitFourByteMethods exitFourByte;
    Status1WriteMethods status1Write;
};

// Fields of the basic flash parameter table (its DWORDs, 1-based as JESD216 counts them).
struct BasicFields {
    std::uint64_t densityBytes = 0;
    unsigned addressBytes = 0;  // 0: 3-byte only, 1: 3 or 4, 2: 4 only
    bool uniform4KErase = false;
    std::uint8_t erase4KOpcode = 0;
    bool read112 = false, read122 = false, read114 = false, read144 = false;
    std::uint8_t opcode112 = 0, opcode122 = 0, opcode114 = 0, opcode144 = 0;
    std::vector<SfdpEraseType> eraseTypes;
    std::optional<LongFormFields> longForm;
};

BasicFields basicFields(const std::vector<std::uint32_t>& dwords);

}  // namespace zel::catalogue::test
