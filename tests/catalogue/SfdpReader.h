// A JESD216 reader written for the tests, apart from the generator, so that a table the
// generator gets wrong does not read back as right: the header, the parameter headers, the basic
// flash parameter table and the 4-byte address instruction table, with the fields a host uses.
#pragma once

#include <cstdint>
#include <optional>
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

// Fields of the basic flash parameter table (its DWORDs, 1-based as JESD216 counts them).
struct BasicFields {
    std::uint64_t densityBytes = 0;
    unsigned addressBytes = 0;  // 0: 3-byte only, 1: 3 or 4, 2: 4 only
    bool uniform4KErase = false;
    std::uint8_t erase4KOpcode = 0;
    bool read112 = false, read122 = false, read114 = false, read144 = false;
    std::uint8_t opcode112 = 0, opcode122 = 0, opcode114 = 0, opcode144 = 0;
    std::vector<SfdpEraseType> eraseTypes;
    std::optional<unsigned> pageBytes;           // long form only
    std::optional<unsigned> quadEnableRequirement;
    std::optional<std::uint8_t> enterFourByteMethods;
    std::optional<std::uint16_t> exitFourByteMethods;
};

BasicFields basicFields(const std::vector<std::uint32_t>& dwords);

}  // namespace zel::catalogue::test
