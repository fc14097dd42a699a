#include "settings/StartTag.h"

namespace zel::settings {
namespace {

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool endsName(char c) { return isXmlSpace(c) || c == '=' || c == '/' || c == '>'; }

}  // namespace

std::optional<StartTagLayout> scanStartTag(std::string_view text, std::size_t nameOffset) {
    if (nameOffset == 0 || nameOffset >= text.size() || text[nameOffset - 1] != '<') return std::nullopt;
    StartTagLayout layout;
    std::size_t i = nameOffset;
    while (i < text.size() && !endsName(text[i])) ++i;
    if (i == nameOffset) return std::nullopt;
    layout.appendAt = i;

    auto skipSpace = [&] {
        while (i < text.size() && isXmlSpace(text[i])) ++i;
    };
    for (;;) {
        skipSpace();
        if (i >= text.size()) return std::nullopt;
        if (text[i] == '>' || text[i] == '/') return layout;
        AttributeSpan span;
        span.nameBegin = i;
        while (i < text.size() && !endsName(text[i])) ++i;
        span.nameEnd = i;
        skipSpace();
        if (span.nameEnd == span.nameBegin || i >= text.size() || text[i] != '=') return std::nullopt;
        ++i;
        skipSpace();
        if (i >= text.size() || (text[i] != '"' && text[i] != '\'')) return std::nullopt;
        span.quote = text[i];
        span.valueBegin = ++i;
        auto close = text.find(span.quote, i);
        if (close == std::string_view::npos) return std::nullopt;
        span.valueEnd = close;
        i = close + 1;
        layout.appendAt = i;
        layout.attributes.push_back(span);
    }
}

}  // namespace zel::settings
