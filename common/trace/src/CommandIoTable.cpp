#include "trace/CommandIoTable.h"

#include <cstdio>

#include "ini/IniFile.h"
#include "text/TextCodec.h"

namespace zel::trace {
namespace {

constexpr std::size_t kDescriptionBuffer = 512;

std::uint8_t lanes(const ini::IniDocument& document, std::wstring_view section, std::wstring_view key) {
    const auto value = document.getInt(section, key, 1);
    return (value == 2 || value == 4) ? static_cast<std::uint8_t>(value) : 1;
}

DataDirection direction(const ini::IniDocument& document, std::wstring_view section) {
    const auto value = document.getString(section, L"DataDirection", L"");
    if (ini::equalsIgnoringCase(value, L"in")) return DataDirection::In;
    if (ini::equalsIgnoringCase(value, L"out")) return DataDirection::Out;
    return DataDirection::None;
}

CommandIo readEntry(const ini::IniDocument& document, std::wstring_view section) {
    CommandIo entry;
    if (document.find(section, L"Description"))
        entry.description = text::wideToUtf8(document.getString(section, L"Description", L"", {kDescriptionBuffer}));
    entry.address = document.getInt(section, L"Address", 0) == 1;
    entry.dummy = document.getInt(section, L"Dummy", 0);
    entry.ioMode = document.getInt(section, L"IO_Mode", 0);
    const auto width = document.getInt(section, L"AddressBytes", 0);
    entry.addressBytes = (width == 3 || width == 4) ? static_cast<std::uint8_t>(width) : 0;
    entry.phases.opcodeLanes = lanes(document, section, L"OpcodeLanes");
    entry.phases.addressLanes = lanes(document, section, L"AddressLanes");
    entry.phases.dummyLanes = lanes(document, section, L"DummyLanes");
    entry.phases.dataLanes = lanes(document, section, L"DataLanes");
    entry.phases.data = direction(document, section);
    return entry;
}

}  // namespace

CommandIoTable CommandIoTable::fromIni(const ini::IniDocument& document) {
    CommandIoTable table;
    for (unsigned opcode = 0; opcode < 256; ++opcode) {
        wchar_t section[4];
        std::swprintf(section, 4, L"%02X", opcode);
        table.entries_[opcode] = readEntry(document, section);
    }
    return table;
}

std::optional<CommandIoTable> CommandIoTable::load(const std::filesystem::path& path, std::error_code& error) {
    auto document = ini::loadIniFile(path, error);
    if (!document) return std::nullopt;
    return fromIni(*document);
}

std::string CommandIoTable::name(std::uint8_t opcode) const {
    if (const auto& description = entries_[opcode].description) return *description;
    char text[32];
    std::snprintf(text, sizeof text, "Unknow Command(0x%02x)", opcode);
    return text;
}

}  // namespace zel::trace
