#include "chipcfg/ChipConfigWriter.h"

#include <fstream>
#include <random>
#include <string_view>
#include <system_error>

#include "chipcfg/ConfigFolder.h"
#include "text/TextCodec.h"

namespace zel::chipcfg {
namespace {

Error invalid(std::string message) { return {ErrorCode::InvalidDescription, std::move(message)}; }

std::string hex(unsigned value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s = "0x";
    for (int shift = 12; shift >= 0; shift -= 4) s += digits[(value >> shift) & 0xF];
    return s;
}

Result<std::string> encodeName(std::wstring_view name, std::string_view what, std::size_t limit) {
    if (name.empty()) return invalid(std::string(what) + " is empty");
    if (name.find(L'\0') != std::wstring_view::npos) return invalid(std::string(what) + " holds a NUL");
    auto ansi = text::wideToWindows1252(name);
    if (text::windows1252ToWide(ansi) != name)
        return invalid(std::string(what) + " \"" + text::wideToUtf8(name) + "\" has characters outside Windows-1252");
    if (ansi.size() > limit)
        return invalid(std::string(what) + " \"" + text::wideToUtf8(name) + "\" is " + std::to_string(ansi.size()) +
                       " bytes, more than " + std::to_string(limit));
    return ansi;
}

Result<void> checkSettings(const ChipConfigDescription& d) {
    bool firstGenReads = d.section1End != Section1End::G2Only;
    bool g2Reads = d.section1End != Section1End::FirstGenerationOnly;
    for (std::size_t i = 0; i < d.settings.size(); ++i) {
        auto value = d.settings[i].value;
        if ((firstGenReads && value == kFirstGenerationTerminator) || (g2Reads && value == kG2Terminator))
            return invalid("setting " + std::to_string(i) + " (register " + hex(d.settings[i].reg) + ") value " +
                           hex(value) + " would end the register section");
    }
    return {};
}

Result<void> checkLevels(const ChipConfigDescription& d) {
    for (std::size_t i = 0; i < d.levels.size(); ++i)
        if (d.levels[i].value == kSfdpMarker.first)
            return invalid("level " + std::to_string(i) + " value " + hex(d.levels[i].value) +
                           " equals the SFDP marker word");
    return {};
}

Result<void> checkTableWords(const std::vector<std::uint16_t>& words, std::string_view table,
                             const Marker* endMarker, std::string_view markerName) {
    if (words.size() % 2 != 0)
        return invalid(std::string(table) + " has " + std::to_string(words.size()) + " words, not whole records");
    if (!endMarker) return {};
    for (std::size_t i = 0; i < words.size(); i += 2)
        if (endMarker->matches({words[i], words[i + 1]}))
            return invalid(std::string(table) + " record " + std::to_string(i / 2) + " (" + hex(words[i]) + " " +
                           hex(words[i + 1]) + ") holds the " + std::string(markerName) + " marker word");
    return {};
}

Result<void> checkStatusDefaults(const ChipConfigDescription& d) {
    for (std::size_t i = 0; i < d.statusDefaults.size(); ++i)
        if (kProtMarker.matches({d.statusDefaults[i].value, d.statusDefaults[i].reg}))
            return invalid("status default " + std::to_string(i) + " value " + hex(d.statusDefaults[i].value) +
                           " equals the PROT marker word");
    return {};
}

Result<void> checkRecords(const ChipConfigDescription& d) {
    for (auto check : {checkSettings(d), checkLevels(d), checkTableWords(d.sfdpWords, "SFDP table", &kSrstMarker, "SRST"),
                       checkStatusDefaults(d), checkTableWords(d.protectionWords, "protection table", nullptr, "")})
        if (!check) return check;
    return {};
}

class ByteWriter {
public:
    void u8(std::uint8_t v) { bytes.push_back(v); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    void record(std::uint16_t first, std::uint16_t second) {
        u16(first);
        u16(second);
    }
    void record(Marker m) { record(m.first, m.second); }
    void words(const std::vector<std::uint16_t>& ws) {
        for (auto w : ws) u16(w);
    }
    void text(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        u8(0);
    }
    void append(const std::vector<std::uint8_t>& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }

    std::vector<std::uint8_t> bytes;
};

Record terminatorOf(Section1End end) {
    switch (end) {
        case Section1End::FirstGenerationOnly: return {kFirstGenerationTerminator, 0};
        case Section1End::G2Only: return {kG2Terminator, 0};
        case Section1End::AnyGeneration: break;
    }
    return {kSection1EndTag, kSection1EndTag};
}

// Settings, terminator and levels: everything before the "SFDP" marker.
std::vector<std::uint8_t> leadingRecords(const ChipConfigDescription& d) {
    ByteWriter w;
    for (auto s : d.settings) w.record(s.value, s.reg);
    auto end = terminatorOf(d.section1End);
    w.record(end.first, end.second);
    for (auto l : d.levels) w.record(l.value, l.channel);
    return std::move(w.bytes);
}

bool hasTrailingSections(const ChipConfigDescription& d) {
    return !d.sfdpWords.empty() || !d.statusDefaults.empty() || !d.protectionWords.empty();
}

std::vector<std::uint8_t> trailingRecords(const ChipConfigDescription& d) {
    ByteWriter w;
    if (!hasTrailingSections(d)) return {};
    w.record(kSfdpMarker);
    w.words(d.sfdpWords);
    w.record(kSrstMarker);
    for (auto s : d.statusDefaults) w.record(s.value, s.reg);
    w.record(kProtMarker);
    w.words(d.protectionWords);
    return std::move(w.bytes);
}

struct Names {
    std::string vendor;
    std::string chip;
};

// Header, names, voltage and options; the records start after `filler` more bytes.
std::vector<std::uint8_t> assemble(const ChipConfigDescription& d, const Names& names, std::size_t filler,
                                   const std::vector<std::uint8_t>& leading,
                                   const std::vector<std::uint8_t>& trailing) {
    const auto vendorOffset = static_cast<std::uint32_t>(kHeaderSize);
    const auto chipOffset = static_cast<std::uint32_t>(vendorOffset + names.vendor.size() + 1);
    const auto voltageOffset = static_cast<std::uint32_t>(chipOffset + names.chip.size() + 1);
    const auto optionsOffset = voltageOffset + 2;
    const auto recordOffset = static_cast<std::uint32_t>(optionsOffset + kOptionByteCount + filler);

    ByteWriter w;
    w.u32(kMagic);
    w.u32(d.reserved);
    w.u32(recordOffset);
    w.u32(d.chipSize);
    w.u32(vendorOffset);
    w.u32(chipOffset);
    w.u32(voltageOffset);
    w.u32(optionsOffset);
    w.text(names.vendor);
    w.text(names.chip);
    w.u16(d.voltageMillivolts);
    w.u8(d.options.fixedAddressMode ? 1 : 0);
    w.u8(d.options.quadEnable ? 1 : 0);
    w.u8(d.options.dieErase ? 1 : 0);
    w.bytes.resize(w.bytes.size() + filler, 0);
    w.append(leading);
    w.append(trailing);
    return std::move(w.bytes);
}

std::size_t fixedPartSize(const Names& names) {
    return kHeaderSize + names.vendor.size() + 1 + names.chip.size() + 1 + 2 + kOptionByteCount;
}

Result<std::vector<std::uint8_t>> layOut(const ChipConfigDescription& d, const Names& names) {
    auto leading = leadingRecords(d);
    auto trailing = trailingRecords(d);
    const auto fixed = fixedPartSize(names);

    if (!d.sfdpWords.empty() && d.sfdpMarkerAtPresenceOffset) {
        if (fixed + leading.size() > kSfdpPresenceOffset)
            return Error{ErrorCode::LayoutDoesNotFit,
                         "header, names and " + std::to_string(leading.size() / kRecordSize) +
                             " records before the SFDP marker take " + std::to_string(fixed + leading.size()) +
                             " bytes; the marker must sit at offset " + std::to_string(kSfdpPresenceOffset)};
        return assemble(d, names, kSfdpPresenceOffset - fixed - leading.size(), leading, trailing);
    }
    if (!d.sfdpWords.empty()) return assemble(d, names, 0, leading, trailing);

    // No table: "SFDP" at offset 180 would claim one. Shifting the records by a byte moves such
    // an accident away (the four letters differ, so two shifts in a row cannot both hit), unless
    // the names themselves put the letters there.
    for (std::size_t filler = 0; filler < kRecordSize; ++filler) {
        auto bytes = assemble(d, names, filler, leading, trailing);
        if (!hasSfdpMarker(bytes)) return bytes;
    }
    return Error{ErrorCode::LayoutDoesNotFit, "the names put \"SFDP\" at offset " +
                                                  std::to_string(kSfdpPresenceOffset) +
                                                  ", which would claim an SFDP table the chip does not have"};
}

}  // namespace

Result<std::vector<std::uint8_t>> writeChipConfig(const ChipConfigDescription& d) {
    auto vendor = encodeName(d.vendor, "vendor name", kMaxVendorBytes);
    if (!vendor) return vendor.error();
    auto chip = encodeName(d.chipName, "chip name", kMaxChipNameBytes);
    if (!chip) return chip.error();
    if (auto usable = checkChipName(d.chipName); !usable) return usable.error();
    if (auto records = checkRecords(d); !records) return records.error();
    return layOut(d, Names{vendor.value(), chip.value()});
}

Result<void> saveChipConfig(const std::filesystem::path& path, const ChipConfigDescription& description) {
    auto bytes = writeChipConfig(description);
    if (!bytes) return bytes.error();

    auto failed = [&](const std::string& why) {
        return Error{ErrorCode::WriteFailed, "cannot write \"" + path.string() + "\": " + why};
    };
    auto temporary = path;
    temporary += ".partial-" + std::to_string(std::random_device{}());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return failed("cannot create " + temporary.filename().string());
        out.write(reinterpret_cast<const char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
        out.flush();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return failed("write error");
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return failed(ec.message());
    }
    return {};
}

std::vector<std::uint16_t> wordsFromBytes(Bytes table) {
    std::vector<std::uint8_t> padded(table.begin(), table.end());
    while (padded.size() % kRecordSize != 0) padded.push_back(0xFF);
    std::vector<std::uint16_t> words;
    words.reserve(padded.size() / 2);
    for (std::size_t i = 0; i < padded.size(); i += 2) words.push_back(readLe16(padded, i));
    return words;
}

}  // namespace zel::chipcfg
