// An INI file with the private-profile semantics the programs rely on: section and key names
// compare without regard to case, the first matching section and key win, values are trimmed and
// lose one pair of enclosing quotes, a caller may read into a buffer of a stated size (the value
// is truncated to fit), and an update rewrites only the line it changes, so order, comments,
// line endings and encoding stay as they were.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ini/IniEncoding.h"

namespace zel::ini {

// The size of a caller's buffer in characters, terminator included: at most count - 1 characters
// of a value are returned.
struct BufferUnits {
    std::size_t count;
};

class IniDocument {
public:
    // An empty document; it is written as UTF-8 without a byte-order mark, with CR LF line ends.
    IniDocument() = default;
    // Any bytes are accepted: lines that are neither sections, keys nor comments are kept and ignored.
    static IniDocument parse(std::string_view bytes);

    // The value, trimmed and without enclosing quotes; nothing when the section or key is missing
    // or the key line has no '='.
    std::optional<std::wstring> find(std::wstring_view section, std::wstring_view key) const;
    bool hasKey(std::wstring_view section, std::wstring_view key) const;
    // The value, or `fallback` (without its trailing spaces) when there is none.
    std::wstring getString(std::wstring_view section, std::wstring_view key, std::wstring_view fallback) const;
    std::wstring getString(std::wstring_view section, std::wstring_view key, std::wstring_view fallback,
                           BufferUnits buffer) const;
    // The value's leading decimal integer (see leadingInteger); `fallback` when the value is
    // missing or empty. Negative values wrap, as an unsigned 32-bit result does.
    std::uint32_t getInt(std::wstring_view section, std::wstring_view key, std::int32_t fallback) const;

    std::vector<std::wstring> sectionNames() const;
    std::vector<std::wstring> keyNames(std::wstring_view section) const;

    // Replaces the value of the first matching key in place; a new key goes after the last line of
    // its section, a new section at the end of the file. Refuses names and values that would
    // break the line structure (line breaks, an empty name, '=' in a key, a key starting with ';'
    // or '[').
    bool setString(std::wstring_view section, std::wstring_view key, std::wstring_view value);
    bool removeKey(std::wstring_view section, std::wstring_view key);

    IniEncoding encoding() const { return encoding_; }
    // The encoding serialize() writes: the file's own, unless it is Windows-1252 and a value
    // cannot be carried in it; then UTF-8 with a byte-order mark, so no character is lost.
    IniEncoding encodingForSave() const;
    std::string serialize() const;

private:
    enum class LineKind { Blank, Comment, Section, Entry, Other };
    struct Line {
        std::wstring text;    // without its line ending
        std::wstring ending;  // "\r\n", "\n" or "" (last line without one)
        LineKind kind = LineKind::Other;
        std::size_t nameBegin = 0, nameLength = 0;    // section or key name
        std::size_t valueBegin = 0, valueLength = 0;  // entry value, trimmed
        bool hasValue = false;
    };

    static Line makeLine(std::wstring text, std::wstring ending);
    static std::wstring_view nameOf(const Line& line);
    std::optional<std::size_t> findSection(std::wstring_view section) const;
    std::size_t sectionEnd(std::size_t header) const;
    std::optional<std::size_t> findEntry(std::wstring_view section, std::wstring_view key) const;
    void insertLine(std::size_t position, std::wstring text);
    std::wstring joinedText() const;

    std::vector<Line> lines_;
    IniEncoding encoding_ = IniEncoding::Utf8;
    std::wstring newline_ = L"\r\n";
};

// GetPrivateProfileInt's reading of a value: leading white space, an optional sign, then decimal
// digits up to the first other character ("12abc" is 12, "abc" is 0). Saturates at the int64 range.
std::int64_t leadingInteger(std::wstring_view text);

// Names compare without regard to case (ASCII, Latin-1, Greek and Cyrillic letters).
bool equalsIgnoringCase(std::wstring_view a, std::wstring_view b);

}  // namespace zel::ini
