// A look-up or check-point table: an INI file whose section "Varnik" maps codes written in
// lower-case hex digits to texts. A file that cannot be read is an empty table, which the
// terminal shows as unknown codes rather than refusing to run.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>

namespace zel::ini {
class IniDocument;
}

namespace zel::terminal {

class CodeTable {
public:
    CodeTable() = default;
    static CodeTable fromIni(const ini::IniDocument& document);
    // Nothing, with `error` set, when the file cannot be read.
    static std::optional<CodeTable> load(const std::filesystem::path& path, std::error_code& error);

    // The text (UTF-8, at most 499 characters as the original buffer held) of `code`, whose hex
    // digits may be in either case.
    std::optional<std::string> find(std::string_view code) const;
    size_t size() const { return texts_.size(); }

private:
    std::unordered_map<std::string, std::string> texts_;
};

}  // namespace zel::terminal
