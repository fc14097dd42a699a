#include "CatalogueRules.h"

#include <algorithm>
#include <bit>
#include <map>

#include "IdentityRegisters.h"
#include "chipcfg/ChipConfigLayout.h"

namespace zel::catalogue {
namespace {

bool isNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.';
}

bool isPrintableAscii(char c) { return c > ' ' && c < 0x7F; }

std::string hex4(unsigned value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s = "0x";
    for (int shift = 12; shift >= 0; shift -= 4) s += digits[(value >> shift) & 0xF];
    return s;
}

void checkNames(const ChipEntry& chip, std::vector<std::string>& out) {
    if (chip.chip.size() > chipcfg::kMaxChipNameBytes)
        out.push_back("chip name is longer than " + std::to_string(chipcfg::kMaxChipNameBytes) + " bytes");
    if (!std::all_of(chip.chip.begin(), chip.chip.end(), isNameCharacter) || chip.chip.find("..") != std::string::npos)
        out.push_back("chip name \"" + chip.chip + "\" must be letters, digits, '-', '_' and single '.'");
    if (chip.maker.size() > chipcfg::kMaxVendorBytes || !std::all_of(chip.maker.begin(), chip.maker.end(), isPrintableAscii))
        out.push_back("maker \"" + chip.maker + "\" must be printable ASCII of at most 255 bytes");
}

void checkSizeAndSupply(const ChipEntry& chip, std::vector<std::string>& out) {
    if (!std::has_single_bit(chip.size) || chip.size < kSmallestChip || chip.size > kLargestChip)
        out.push_back("size " + std::to_string(chip.size) + " is not a power of two from 512K to 128M");
    if (chip.millivolts != 1800 && chip.millivolts != 2500 && chip.millivolts != 3300)
        out.push_back("voltage " + std::to_string(chip.millivolts) + " is not 1800, 2500 or 3300");
}

void checkIdentity(const ChipEntry& chip, std::vector<std::string>& out) {
    if (chip.manufacturerId() == 0x00 || chip.manufacturerId() == 0xFF)
        out.push_back("JEDEC manufacturer byte 00 or FF is what a missing chip answers");
    for (const auto& setting : identitySettings(chip))
        if (isReservedRecordWord(setting.value))
            out.push_back("identity register " + hex4(setting.reg) + " would hold " + hex4(setting.value) +
                          ", a marker or terminator word");
}

void checkAddressing(const ChipEntry& chip, std::vector<std::string>& out) {
    if (chip.addressMode == AddressMode::ThreeByte && chip.size > kLargestThreeByteChip)
        out.push_back("a chip above 16M cannot be addressed with 3 bytes only");
    if (chip.fourByteOpcodes && !chip.hasFourByteAddressing())
        out.push_back("4-byte opcodes need 4-byte addressing (addr 3/4 or 4)");
    const bool oneMode = chip.addressMode != AddressMode::Switchable;
    if (chip.fixedAddressMode != oneMode)
        out.push_back(oneMode ? "a chip with one addressing mode needs the fixed-addr option"
                              : "a chip that switches addressing must not have the fixed-addr option");
}

void checkOperations(const ChipEntry& chip, std::vector<std::string>& out) {
    if (chip.eraseSizes == 0) out.push_back("no erase size");
    const bool quadReads = chip.fastReads & fastread::kQuad;
    if (quadReads != (chip.quad != QuadEnable::None))
        out.push_back(quadReads ? "quad reads need a quad-enable kind other than no"
                                : "a quad-enable kind needs quad reads (114 or 144)");
    const bool hasQeBit = chip.quad == QuadEnable::StatusBit6 || chip.quad == QuadEnable::Status2Bit1;
    if (chip.qeAsShipped && !hasQeBit) out.push_back("the qe option needs a QE bit (quad sr1.6 or sr2.1)");
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return s;
}

}  // namespace

std::vector<Problem> checkEntry(const ChipEntry& chip) {
    std::vector<std::string> messages;
    checkNames(chip, messages);
    checkSizeAndSupply(chip, messages);
    checkIdentity(chip, messages);
    checkAddressing(chip, messages);
    checkOperations(chip, messages);
    std::vector<Problem> problems;
    for (auto& m : messages) problems.push_back({chip.line, chip.chip + ": " + m});
    return problems;
}

std::vector<Problem> checkCatalogue(const std::vector<ChipEntry>& chips) {
    std::vector<Problem> problems;
    if (chips.empty()) problems.push_back({0, "lists no chip"});
    // File names must differ also where case does not count.
    std::map<std::string, const ChipEntry*> byFileName;
    std::map<std::string, const ChipEntry*> byFlashromName;
    for (const auto& chip : chips) {
        auto entryProblems = checkEntry(chip);
        problems.insert(problems.end(), entryProblems.begin(), entryProblems.end());
        auto [named, fresh] = byFileName.emplace(lower(chip.chip), &chip);
        if (!fresh)
            problems.push_back({chip.line, chip.chip + ": name already used on line " + std::to_string(named->second->line)});
        if (chip.flashromName.empty()) continue;
        auto [known, first] = byFlashromName.emplace(chip.flashromName, &chip);
        if (!first && known->second->jedecId != chip.jedecId)
            problems.push_back({chip.line, chip.chip + ": flashrom's " + chip.flashromName +
                                               " has another JEDEC ID on line " + std::to_string(known->second->line)});
    }
    return problems;
}

}  // namespace zel::catalogue
