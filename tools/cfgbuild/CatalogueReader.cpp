#include "CatalogueReader.h"

#include <charconv>
#include <fstream>
#include <map>
#include <sstream>

namespace zel::catalogue {
namespace {

// A column's text turned into the entry, or the reason it cannot be.
using ColumnParser = std::string (*)(std::string_view text, ChipEntry& entry);

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        auto start = line.find_first_not_of(" \t\r", at);
        if (start == std::string_view::npos) break;
        auto end = line.find_first_of(" \t\r", start);
        if (end == std::string_view::npos) end = line.size();
        fields.push_back(line.substr(start, end - start));
        at = end;
    }
    return fields;
}

std::vector<std::string_view> splitList(std::string_view text) {
    std::vector<std::string_view> items;
    std::size_t at = 0;
    for (;;) {
        auto comma = text.find(',', at);
        items.push_back(text.substr(at, comma == std::string_view::npos ? std::string_view::npos : comma - at));
        if (comma == std::string_view::npos) return items;
        at = comma + 1;
    }
}

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

template <class T>
bool parseNumber(std::string_view text, T& value, int base = 10) {
    if (text.empty()) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

std::string parseMaker(std::string_view text, ChipEntry& entry) {
    entry.maker = text;
    return {};
}

std::string parseChip(std::string_view text, ChipEntry& entry) {
    entry.chip = text;
    return {};
}

std::string parseFlashrom(std::string_view text, ChipEntry& entry) {
    if (text != "-") entry.flashromName = text;
    return {};
}

std::string parseSize(std::string_view text, ChipEntry& entry) {
    std::uint64_t unit = 1;
    auto digits = text;
    if (!text.empty() && (text.back() == 'K' || text.back() == 'M')) {
        unit = text.back() == 'K' ? 1024 : 1024 * 1024;
        digits.remove_suffix(1);
    }
    std::uint64_t count = 0;
    if (!parseNumber(digits, count) || count == 0 || count > (std::uint64_t{1} << 32) / unit)
        return "size " + quoted(text) + " is not a number of bytes, K or M below 4G";
    auto bytes = count * unit;
    if (bytes >= (std::uint64_t{1} << 32)) return "size " + quoted(text) + " does not fit 32 bits";
    entry.size = static_cast<std::uint32_t>(bytes);
    return {};
}

std::string parseVoltage(std::string_view text, ChipEntry& entry) {
    if (!parseNumber(text, entry.millivolts)) return "voltage " + quoted(text) + " is not a number of millivolts";
    return {};
}

std::string parseJedec(std::string_view text, ChipEntry& entry) {
    if (text.size() != 6 || !parseNumber(text, entry.jedecId, 16))
        return "JEDEC ID " + quoted(text) + " is not six hex digits";
    return {};
}

std::string parseAddressMode(std::string_view text, ChipEntry& entry) {
    static const std::map<std::string_view, AddressMode> modes = {
        {"3", AddressMode::ThreeByte}, {"3/4", AddressMode::Switchable}, {"4", AddressMode::FourByte}};
    auto it = modes.find(text);
    if (it == modes.end()) return "addressing " + quoted(text) + " is not 3, 3/4 or 4";
    entry.addressMode = it->second;
    return {};
}

std::string parseYesNo(std::string_view text, bool& value, std::string_view what) {
    if (text != "yes" && text != "no") return std::string(what) + " " + quoted(text) + " is not yes or no";
    value = text == "yes";
    return {};
}

std::string parseFourByteOpcodes(std::string_view text, ChipEntry& entry) {
    return parseYesNo(text, entry.fourByteOpcodes, "4bops");
}

// A comma list of names, each one bit; "-" is the empty set.
std::string parseBits(std::string_view text, const std::map<std::string_view, std::uint8_t>& names,
                      std::string_view what, std::uint8_t& bits) {
    bits = 0;
    if (text == "-") return {};
    for (auto item : splitList(text)) {
        auto it = names.find(item);
        if (it == names.end()) return std::string(what) + " " + quoted(item) + " is unknown";
        if (bits & it->second) return std::string(what) + " " + quoted(item) + " is listed twice";
        bits |= it->second;
    }
    return {};
}

std::string parseErase(std::string_view text, ChipEntry& entry) {
    static const std::map<std::string_view, std::uint8_t> sizes = {
        {"4K", erase::k4K}, {"32K", erase::k32K}, {"64K", erase::k64K}};
    return parseBits(text, sizes, "erase size", entry.eraseSizes);
}

std::string parseReads(std::string_view text, ChipEntry& entry) {
    static const std::map<std::string_view, std::uint8_t> reads = {
        {"112", fastread::k112}, {"122", fastread::k122}, {"114", fastread::k114}, {"144", fastread::k144}};
    return parseBits(text, reads, "fast read", entry.fastReads);
}

std::string parseQuad(std::string_view text, ChipEntry& entry) {
    static const std::map<std::string_view, QuadEnable> kinds = {{"no", QuadEnable::None},
                                                                 {"sr1.6", QuadEnable::StatusBit6},
                                                                 {"sr2.1", QuadEnable::Status2Bit1},
                                                                 {"always", QuadEnable::Always}};
    auto it = kinds.find(text);
    if (it == kinds.end()) return "quad enable " + quoted(text) + " is not no, sr1.6, sr2.1 or always";
    entry.quad = it->second;
    return {};
}

std::string parseSfdp(std::string_view text, ChipEntry& entry) {
    static const std::map<std::string_view, SfdpRevision> revisions = {{"-", SfdpRevision::None},
                                                                       {"1.0", SfdpRevision::V1_0},
                                                                       {"1.5", SfdpRevision::V1_5},
                                                                       {"1.6", SfdpRevision::V1_6}};
    auto it = revisions.find(text);
    if (it == revisions.end()) return "SFDP revision " + quoted(text) + " is not -, 1.0, 1.5 or 1.6";
    entry.sfdp = it->second;
    return {};
}

std::string parseOptions(std::string_view text, ChipEntry& entry) {
    static const std::map<std::string_view, std::uint8_t> names = {{"fixed-addr", 1}, {"qe", 2}, {"die-erase", 4}};
    std::uint8_t bits = 0;
    auto problem = parseBits(text, names, "option", bits);
    entry.fixedAddressMode = bits & 1;
    entry.qeAsShipped = bits & 2;
    entry.dieErase = bits & 4;
    return problem;
}

constexpr ColumnParser kColumns[kColumnCount] = {
    parseMaker, parseChip,  parseFlashrom, parseSize, parseVoltage, parseJedec,  parseAddressMode,
    parseFourByteOpcodes, parseErase, parseReads, parseQuad, parseSfdp, parseOptions,
};

void parseLine(std::string_view line, int number, Catalogue& catalogue) {
    auto fields = splitFields(line);
    if (fields.empty() || fields.front().front() == '#') return;
    if (fields.size() != kColumnCount) {
        catalogue.problems.push_back({number, "has " + std::to_string(fields.size()) + " columns, not " +
                                                  std::to_string(kColumnCount)});
        return;
    }
    ChipEntry entry;
    entry.line = number;
    bool usable = true;
    for (std::size_t c = 0; c < kColumnCount; ++c) {
        if (auto problem = kColumns[c](fields[c], entry); !problem.empty()) {
            catalogue.problems.push_back({number, problem});
            usable = false;
        }
    }
    if (usable) catalogue.chips.push_back(std::move(entry));
}

}  // namespace

Catalogue parseCatalogue(std::string_view text) {
    Catalogue catalogue;
    int number = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        auto end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        parseLine(text.substr(at, end - at), ++number, catalogue);
        at = end + 1;
    }
    return catalogue;
}

std::optional<Catalogue> loadCatalogue(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return parseCatalogue(text.str());
}

std::string describe(const Problem& problem, const std::string& source) {
    if (problem.line == 0) return source + ": " + problem.message;
    return source + ":" + std::to_string(problem.line) + ": " + problem.message;
}

}  // namespace zel::catalogue
