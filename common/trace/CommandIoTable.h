// The command I/O table "ZelmorProCmdIOTable.ini": per opcode, its name and how its bytes are laid
// out. One section per opcode, named by two hex digits ([03], [eb]; case does not matter).
//
//   Description   name shown in translated views; missing: "Unknow Command(0x%02x)"
//   Address       1: address bytes follow the opcode
//   Dummy         dummy bytes after the address (not shown)
//   IO_Mode       how raw samples of an undecoded opcode become bytes (IoDecoder)
//
// Keys of our own, which readers that do not know them ignore; they describe the bus phases for
// waveform export and the address width:
//   AddressBytes  3 or 4: the opcode always carries that many address bytes (0x13, 0x5A, ...);
//                 missing or 0: as many as the tracked addressing mode says
//   OpcodeLanes, AddressLanes, DummyLanes, DataLanes
//                 1, 2 or 4 lines per phase (default 1)
//   DataDirection "in" (chip to master, a read), "out" (master to chip, a write), "none"
//                 (default "none")
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "ini/IniDocument.h"

namespace zel::trace {

inline constexpr const char* kCommandIoTableFile = "ZelmorProCmdIOTable.ini";

enum class DataDirection : std::uint8_t { None, In, Out };

// How the bytes of one command travel on the bus.
struct BusPhases {
    std::uint8_t opcodeLanes = 1;
    std::uint8_t addressLanes = 1;
    std::uint8_t dummyLanes = 1;
    std::uint8_t dataLanes = 1;
    DataDirection data = DataDirection::None;
};

struct CommandIo {
    std::optional<std::string> description;  // UTF-8, at most 511 characters
    bool address = false;
    std::uint32_t dummy = 0;
    std::uint32_t ioMode = 0;
    std::uint8_t addressBytes = 0;  // 0: by the addressing mode; else 3 or 4
    BusPhases phases;
};

class CommandIoTable {
public:
    // Knows no opcode: every name is "Unknow Command(0x..)", every flag 0.
    CommandIoTable() = default;
    static CommandIoTable fromIni(const ini::IniDocument& document);
    static std::optional<CommandIoTable> load(const std::filesystem::path& path, std::error_code& error);

    const CommandIo& at(std::uint8_t opcode) const { return entries_[opcode]; }
    void set(std::uint8_t opcode, CommandIo entry) { entries_[opcode] = std::move(entry); }

    // The Description, else "Unknow Command(0x%02x)".
    std::string name(std::uint8_t opcode) const;
    bool hasAddress(std::uint8_t opcode) const { return entries_[opcode].address; }
    std::uint32_t dummy(std::uint8_t opcode) const { return entries_[opcode].dummy; }
    std::uint32_t ioMode(std::uint8_t opcode) const { return entries_[opcode].ioMode; }
    const BusPhases& phases(std::uint8_t opcode) const { return entries_[opcode].phases; }
    // Address bytes of one transaction of this opcode: 0 without an address, else the opcode's
    // own width or, when it has none, 4 in 4-byte mode and 3 otherwise.
    unsigned addressWidth(std::uint8_t opcode, bool fourByteMode) const {
        const auto& e = entries_[opcode];
        if (!e.address) return 0;
        if (e.addressBytes == 3 || e.addressBytes == 4) return e.addressBytes;
        return fourByteMode ? 4 : 3;
    }

private:
    std::array<CommandIo, 256> entries_{};
};

}  // namespace zel::trace
