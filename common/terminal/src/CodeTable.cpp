#include "terminal/CodeTable.h"

#include "ini/IniFile.h"
#include "text/TextCodec.h"

#include <algorithm>
#include <cctype>

namespace zel::terminal {

namespace {

constexpr std::wstring_view kSection = L"Varnik";
constexpr ini::BufferUnits kTextBuffer{500};

std::string lowerCase(std::string text) {
    std::ranges::transform(text, text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

CodeTable CodeTable::fromIni(const ini::IniDocument& document) {
    CodeTable table;
    for (const auto& key : document.keyNames(kSection)) {
        // Names are case-insensitive in INI files; the first of two spellings wins, as a lookup would.
        table.texts_.try_emplace(lowerCase(text::wideToUtf8(key)),
                                 text::wideToUtf8(document.getString(kSection, key, L"", kTextBuffer)));
    }
    return table;
}

std::optional<CodeTable> CodeTable::load(const std::filesystem::path& path, std::error_code& error) {
    auto document = ini::loadIniFile(path, error);
    if (!document) return std::nullopt;
    return fromIni(*document);
}

std::optional<std::string> CodeTable::find(std::string_view code) const {
    const auto found = texts_.find(lowerCase(std::string(code)));
    if (found == texts_.end()) return std::nullopt;
    return found->second;
}

}  // namespace zel::terminal
