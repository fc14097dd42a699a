// The command table "ZelmorProCommandTable.ini": which opcodes the emulator decodes itself. An
// opcode it does not decode arrives as raw I/O samples that the IoDecoder turns into bytes.
//
//   [ZelmorPro command]     one key per decoded opcode, two hex digits ("03=Read"); the value
//   [ZelmorProG2 command]   is not used. The G2 section adds opcodes for the G2 model only.
#pragma once

#include <bitset>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>

#include "ini/IniDocument.h"

namespace zel::trace {

inline constexpr const char* kCommandTableFile = "ZelmorProCommandTable.ini";

enum class EmulatorModel : std::uint8_t { FirstGeneration, G2 };

class CommandTable {
public:
    // Decodes nothing: every opcode is undecoded.
    CommandTable() = default;
    static CommandTable fromIni(const ini::IniDocument& document);
    // Nothing, with `error` set, when the file cannot be read.
    static std::optional<CommandTable> load(const std::filesystem::path& path, std::error_code& error);

    // The first section decides; the G2 section is consulted only for a G2 emulator.
    bool decodes(std::uint8_t opcode, EmulatorModel model) const {
        return first_[opcode] || (model == EmulatorModel::G2 && g2_[opcode]);
    }
    void setDecoded(std::uint8_t opcode, EmulatorModel model, bool decoded = true) {
        (model == EmulatorModel::G2 ? g2_ : first_)[opcode] = decoded;
    }

private:
    std::bitset<256> first_, g2_;
};

}  // namespace zel::trace
