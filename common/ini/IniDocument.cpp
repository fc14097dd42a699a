#include "ini/IniDocument.h"

#include <algorithm>
#include <limits>

namespace zel::ini {
namespace {

// The white space the profile functions trim around names and values (0x1A is the old
// end-of-file mark some editors leave behind).
bool isProfileSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\v' || c == L'\f' || c == 0x1A;
}

std::wstring_view trim(std::wstring_view s) {
    while (!s.empty() && isProfileSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isProfileSpace(s.back())) s.remove_suffix(1);
    return s;
}

std::wstring_view trimTrailingSpaces(std::wstring_view s) {
    while (!s.empty() && s.back() == L' ') s.remove_suffix(1);
    return s;
}

std::wstring_view withoutEnclosingQuotes(std::wstring_view s) {
    if (s.size() >= 2 && (s.front() == L'"' || s.front() == L'\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

wchar_t foldCase(wchar_t c) {
    if (c >= L'A' && c <= L'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;    // Latin-1 capitals
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;  // Greek capitals
    if (c >= 0x410 && c <= 0x42F) return c + 32;                // Cyrillic capitals
    if (c >= 0x400 && c <= 0x40F) return c + 80;                // Cyrillic capitals with marks
    return c;
}

bool hasLineBreak(std::wstring_view s) { return s.find_first_of(L"\r\n") != std::wstring_view::npos; }

}  // namespace

bool equalsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return foldCase(x) == foldCase(y); });
}

std::int64_t leadingInteger(std::wstring_view text) {
    while (!text.empty() && text.front() <= L' ') text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == L'+' || text.front() == L'-')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') break;
        int digit = c - L'0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return negative ? -value : value;
}

IniDocument::Line IniDocument::makeLine(std::wstring text, std::wstring ending) {
    Line line{std::move(text), std::move(ending)};
    const std::wstring_view whole = line.text;
    auto offsetOf = [&](std::wstring_view part) { return static_cast<std::size_t>(part.data() - whole.data()); };
    const auto content = trim(whole);
    if (content.empty()) {
        line.kind = LineKind::Blank;
    } else if (content.front() == L';') {
        line.kind = LineKind::Comment;
    } else if (content.front() == L'[') {
        auto close = content.rfind(L']');
        if (close != std::wstring_view::npos && close > 0) {
            auto name = trim(content.substr(1, close - 1));
            line.kind = LineKind::Section;
            line.nameBegin = name.empty() ? offsetOf(content) + 1 : offsetOf(name);
            line.nameLength = name.size();
        }
    } else {
        auto equals = content.find(L'=');
        auto name = trim(content.substr(0, equals));
        if (!name.empty()) {
            line.kind = LineKind::Entry;
            line.nameBegin = offsetOf(name);
            line.nameLength = name.size();
            line.hasValue = equals != std::wstring_view::npos;
            if (line.hasValue) {
                auto afterEquals = content.substr(equals + 1);
                auto value = trim(afterEquals);
                // A value of only spaces starts where the spaces end, so a rewrite keeps them.
                line.valueBegin = value.empty() ? offsetOf(afterEquals) + afterEquals.size() : offsetOf(value);
                line.valueLength = value.size();
            }
        }
    }
    return line;
}

std::wstring_view IniDocument::nameOf(const Line& line) {
    return std::wstring_view(line.text).substr(line.nameBegin, line.nameLength);
}

IniDocument IniDocument::parse(std::string_view bytes) {
    IniDocument document;
    auto decoded = decodeIniText(bytes);
    document.encoding_ = decoded.encoding;
    const std::wstring_view text = decoded.text;
    bool newlineSeen = false;
    std::size_t start = 0;
    while (start < text.size()) {
        auto lf = text.find(L'\n', start);
        if (lf == std::wstring_view::npos) {
            document.lines_.push_back(makeLine(std::wstring(text.substr(start)), L""));
            break;
        }
        bool crlf = lf > start && text[lf - 1] == L'\r';
        std::wstring ending = crlf ? L"\r\n" : L"\n";
        if (!newlineSeen) document.newline_ = ending;
        newlineSeen = true;
        auto end = crlf ? lf - 1 : lf;
        document.lines_.push_back(makeLine(std::wstring(text.substr(start, end - start)), std::move(ending)));
        start = lf + 1;
    }
    return document;
}

std::optional<std::size_t> IniDocument::findSection(std::wstring_view section) const {
    section = trim(section);
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == LineKind::Section && equalsIgnoringCase(nameOf(lines_[i]), section)) return i;
    return std::nullopt;
}

std::size_t IniDocument::sectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != LineKind::Section) ++i;
    return i;
}

std::optional<std::size_t> IniDocument::findEntry(std::wstring_view section, std::wstring_view key) const {
    key = trim(key);
    if (key.empty()) return std::nullopt;
    auto header = findSection(section);
    if (!header) return std::nullopt;
    for (std::size_t i = *header + 1, end = sectionEnd(*header); i < end; ++i)
        if (lines_[i].kind == LineKind::Entry && equalsIgnoringCase(nameOf(lines_[i]), key)) return i;
    return std::nullopt;
}

std::optional<std::wstring> IniDocument::find(std::wstring_view section, std::wstring_view key) const {
    auto entry = findEntry(section, key);
    if (!entry || !lines_[*entry].hasValue) return std::nullopt;
    const auto& line = lines_[*entry];
    return std::wstring(withoutEnclosingQuotes(std::wstring_view(line.text).substr(line.valueBegin, line.valueLength)));
}

bool IniDocument::hasKey(std::wstring_view section, std::wstring_view key) const {
    return findEntry(section, key).has_value();
}

std::wstring IniDocument::getString(std::wstring_view section, std::wstring_view key,
                                    std::wstring_view fallback) const {
    auto value = find(section, key);
    return value ? std::move(*value) : std::wstring(trimTrailingSpaces(fallback));
}

std::wstring IniDocument::getString(std::wstring_view section, std::wstring_view key, std::wstring_view fallback,
                                    BufferUnits buffer) const {
    auto value = getString(section, key, fallback);
    value.resize(std::min(value.size(), buffer.count == 0 ? 0 : buffer.count - 1));
    return value;
}

std::uint32_t IniDocument::getInt(std::wstring_view section, std::wstring_view key, std::int32_t fallback) const {
    auto value = find(section, key);
    if (!value || value->empty()) return static_cast<std::uint32_t>(fallback);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(leadingInteger(*value)));
}

std::vector<std::wstring> IniDocument::sectionNames() const {
    std::vector<std::wstring> names;
    for (const auto& line : lines_)
        if (line.kind == LineKind::Section) names.emplace_back(nameOf(line));
    return names;
}

std::vector<std::wstring> IniDocument::keyNames(std::wstring_view section) const {
    std::vector<std::wstring> names;
    auto header = findSection(section);
    if (!header) return names;
    for (std::size_t i = *header + 1, end = sectionEnd(*header); i < end; ++i)
        if (lines_[i].kind == LineKind::Entry) names.emplace_back(nameOf(lines_[i]));
    return names;
}

void IniDocument::insertLine(std::size_t position, std::wstring text) {
    std::wstring ending = newline_;
    if (position == lines_.size() && position > 0 && lines_[position - 1].ending.empty()) {
        // The file ended without a line break: the old last line gets one, the new one does not.
        lines_[position - 1].ending = newline_;
        ending.clear();
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(position), makeLine(std::move(text), std::move(ending)));
}

bool IniDocument::setString(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    section = trim(section);
    key = trim(key);
    if (section.empty() || key.empty() || hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value) ||
        key.find(L'=') != std::wstring_view::npos || key.front() == L';' || key.front() == L'[')
        return false;

    if (auto entry = findEntry(section, key)) {
        auto& line = lines_[*entry];
        std::wstring text = line.hasValue ? line.text.substr(0, line.valueBegin) : line.text + L"=";
        text += value;
        line = makeLine(std::move(text), std::move(line.ending));
        return true;
    }
    std::wstring entryText = std::wstring(key) + L"=" + std::wstring(value);
    if (auto header = findSection(section)) {
        std::size_t position = sectionEnd(*header);
        while (position > *header + 1 && lines_[position - 1].kind == LineKind::Blank) --position;
        insertLine(position, std::move(entryText));
        return true;
    }
    if (!lines_.empty() && lines_.back().kind != LineKind::Blank) insertLine(lines_.size(), L"");
    insertLine(lines_.size(), L"[" + std::wstring(section) + L"]");
    insertLine(lines_.size(), std::move(entryText));
    if (lines_.back().ending.empty()) lines_.back().ending = newline_;
    return true;
}

bool IniDocument::removeKey(std::wstring_view section, std::wstring_view key) {
    auto entry = findEntry(section, key);
    if (!entry) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*entry));
    return true;
}

std::wstring IniDocument::joinedText() const {
    std::wstring text;
    for (const auto& line : lines_) {
        text += line.text;
        text += line.ending;
    }
    return text;
}

IniEncoding IniDocument::encodingForSave() const {
    return canEncode(joinedText(), encoding_) ? encoding_ : IniEncoding::Utf8Bom;
}

std::string IniDocument::serialize() const {
    auto text = joinedText();
    return encodeIniText(text, canEncode(text, encoding_) ? encoding_ : IniEncoding::Utf8Bom);
}

}  // namespace zel::ini
