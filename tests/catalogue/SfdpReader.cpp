#include "SfdpReader.h"

#include <initializer_list>
#include <utility>

namespace zel::catalogue::test {
namespace {

std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint32_t bits(std::uint32_t value, unsigned high, unsigned low) {
    return (value >> low) & ((1u << (high - low + 1)) - 1);
}

bool bit(std::uint32_t value, unsigned at) { return (value >> at) & 1; }

// A typical time field whose top bits, above a count of countBits, pick one of the units.
SfdpTime typicalTime(std::uint32_t field, unsigned countBits, std::initializer_list<std::uint32_t> units) {
    const auto unit = units.begin()[field >> countBits];
    return {(bits(field, countBits - 1, 0) + 1) * unit, unit};
}

// DWORD 10: erase type n's typical time in bits 10+7(n-1):4+7(n-1); units 1 ms, 16 ms, 128 ms, 1 s.
std::array<SfdpTime, 4> eraseTimes(std::uint32_t d) {
    std::array<SfdpTime, 4> times;
    for (unsigned n = 0; n < 4; ++n) times[n] = typicalTime(bits(d, 10 + 7 * n, 4 + 7 * n), 5, {1, 16, 128, 1000});
    return times;
}

EnterFourByteMethods enterMethods(std::uint32_t m) {
    return {bit(m, 0), bit(m, 1), bit(m, 2), bit(m, 3), bit(m, 4), bit(m, 5), bit(m, 6), bit(m, 7)};
}

ExitFourByteMethods exitMethods(std::uint32_t m) {
    return {bit(m, 0), bit(m, 1), bit(m, 2), bit(m, 3), bit(m, 4), bit(m, 5), bit(m, 6), bit(m, 7), bits(m, 9, 8) != 0};
}

Status1WriteMethods status1Methods(std::uint32_t m) {
    return {bit(m, 0), bit(m, 1), bit(m, 2), bit(m, 3), bit(m, 4), bits(m, 6, 5) != 0};
}

LongFormFields longForm(const std::vector<std::uint32_t>& d) {
    LongFormFields f;
    f.eraseTypicalMs = eraseTimes(d[9]);
    f.pageBytes = 1u << bits(d[10], 7, 4);
    f.pageProgramUs = typicalTime(bits(d[10], 13, 8), 5, {8, 64});
    f.firstByteProgramUs = typicalTime(bits(d[10], 18, 14), 4, {1, 8});
    f.additionalByteProgramUs = typicalTime(bits(d[10], 23, 19), 4, {1, 8});
    f.chipEraseMs = typicalTime(bits(d[10], 30, 24), 5, {16, 256, 4000, 64000});
    f.quadEnableRequirement = bits(d[14], 22, 20);
    f.enterFourByte = enterMethods(bits(d[15], 31, 24));
    f.exitFourByte = exitMethods(bits(d[15], 23, 14));
    f.status1Write = status1Methods(bits(d[15], 6, 0));
    return f;
}

// Writes the names of the set flags, or "none".
std::ostream& flags(std::ostream& out, std::initializer_list<std::pair<bool, const char*>> named) {
    const char* separator = "";
    for (auto [set, name] : named)
        if (set) {
            out << separator << name;
            separator = ", ";
        }
    return *separator ? out : out << "none";
}

}  // namespace

std::optional<SfdpTableView> readSfdp(std::span<const std::uint8_t> bytes, std::string& why) {
    if (bytes.size() < 16) {
        why = "shorter than a header and one parameter header";
        return std::nullopt;
    }
    if (le32(bytes, 0) != 0x50444653) {
        why = "no \"SFDP\" signature";
        return std::nullopt;
    }
    SfdpTableView view;
    view.minor = bytes[4];
    view.major = bytes[5];
    view.accessProtocol = bytes[7];
    const std::size_t count = bytes[6] + 1u;
    if (bytes.size() < 8 + 8 * count) {
        why = "parameter headers run past the table";
        return std::nullopt;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const auto header = bytes.subspan(8 + 8 * i, 8);
        SfdpParameter parameter;
        parameter.id = static_cast<std::uint16_t>(header[7] << 8 | header[0]);
        parameter.minor = header[1];
        parameter.major = header[2];
        const std::size_t dwords = header[3];
        const std::size_t pointer = header[4] | header[5] << 8 | header[6] << 16;
        if (pointer % 4 != 0 || pointer + 4 * dwords > bytes.size()) {
            why = "parameter " + std::to_string(i) + " lies outside the table or is not DWORD-aligned";
            return std::nullopt;
        }
        for (std::size_t d = 0; d < dwords; ++d) parameter.dwords.push_back(le32(bytes, pointer + 4 * d));
        view.parameters.push_back(std::move(parameter));
    }
    return view;
}

BasicFields basicFields(const std::vector<std::uint32_t>& d) {
    BasicFields f;
    if (d.size() < 9) return f;
    f.uniform4KErase = bits(d[0], 1, 0) == 1;
    f.erase4KOpcode = static_cast<std::uint8_t>(bits(d[0], 15, 8));
    f.read112 = bits(d[0], 16, 16);
    f.addressBytes = bits(d[0], 18, 17);
    f.read122 = bits(d[0], 20, 20);
    f.read144 = bits(d[0], 21, 21);
    f.read114 = bits(d[0], 22, 22);
    f.densityBytes = (d[1] & 0x80000000u) ? (std::uint64_t{1} << bits(d[1], 30, 0)) / 8
                                          : (std::uint64_t{d[1]} + 1) / 8;
    f.opcode144 = static_cast<std::uint8_t>(bits(d[2], 15, 8));
    f.opcode114 = static_cast<std::uint8_t>(bits(d[2], 31, 24));
    f.opcode112 = static_cast<std::uint8_t>(bits(d[3], 15, 8));
    f.opcode122 = static_cast<std::uint8_t>(bits(d[3], 31, 24));
    for (auto dword : {d[7], d[8]})
        for (unsigned half = 0; half < 2; ++half) {
            const auto size = bits(dword, 16 * half + 7, 16 * half);
            if (size != 0)
                f.eraseTypes.push_back({1u << size, static_cast<std::uint8_t>(bits(dword, 16 * half + 15, 16 * half + 8))});
        }
    if (d.size() >= 16) f.longForm = longForm(d);
    return f;
}

std::ostream& operator<<(std::ostream& out, const SfdpTime& t) { return out << t.value << " (unit " << t.unit << ")"; }

std::ostream& operator<<(std::ostream& out, const EnterFourByteMethods& m) {
    return flags(out, {{m.b7, "0xB7"}, {m.writeEnableB7, "0x06 0xB7"}, {m.extendedAddressRegister, "extended address register"},
                       {m.bankRegister, "bank register"}, {m.nonVolatileConfig, "non-volatile configuration register"},
                       {m.dedicatedInstructionSet, "dedicated 4-byte instructions"}, {m.always, "always 4-byte"},
                       {m.reserved, "reserved bit"}});
}

std::ostream& operator<<(std::ostream& out, const ExitFourByteMethods& m) {
    return flags(out, {{m.e9, "0xE9"}, {m.writeEnableE9, "0x06 0xE9"}, {m.extendedAddressRegister, "extended address register"},
                       {m.bankRegister, "bank register"}, {m.nonVolatileConfig, "non-volatile configuration register"},
                       {m.hardwareReset, "hardware reset"}, {m.softwareReset, "software reset"},
                       {m.powerCycle, "power cycle"}, {m.reserved, "reserved bits"}});
}

std::ostream& operator<<(std::ostream& out, const Status1WriteMethods& m) {
    return flags(out, {{m.nonVolatileAfter06, "non-volatile, 0x06"}, {m.volatileAfter06, "volatile, 0x06"},
                       {m.volatileAfter50, "volatile, 0x50"}, {m.nonVolatile06OrVolatile50, "non-volatile 0x06 or volatile 0x50"},
                       {m.mixedAfter06, "mixed, 0x06"}, {m.reserved, "reserved bits"}});
}

}  // namespace zel::catalogue::test
