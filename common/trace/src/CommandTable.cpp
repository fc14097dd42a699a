#include "trace/CommandTable.h"

#include "ini/IniFile.h"

namespace zel::trace {
namespace {

int hexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// The lookup formats the opcode as two hex digits, so only such keys can ever match.
void addKeys(const ini::IniDocument& document, std::wstring_view section, CommandTable& table, EmulatorModel model) {
    for (const auto& key : document.keyNames(section)) {
        if (key.size() != 2) continue;
        const int high = hexDigit(key[0]), low = hexDigit(key[1]);
        if (high < 0 || low < 0) continue;
        table.setDecoded(static_cast<std::uint8_t>(high << 4 | low), model);
    }
}

}  // namespace

CommandTable CommandTable::fromIni(const ini::IniDocument& document) {
    CommandTable table;
    addKeys(document, L"ZelmorPro command", table, EmulatorModel::FirstGeneration);
    addKeys(document, L"ZelmorProG2 command", table, EmulatorModel::G2);
    return table;
}

std::optional<CommandTable> CommandTable::load(const std::filesystem::path& path, std::error_code& error) {
    auto document = ini::loadIniFile(path, error);
    if (!document) return std::nullopt;
    return fromIni(*document);
}

}  // namespace zel::trace
