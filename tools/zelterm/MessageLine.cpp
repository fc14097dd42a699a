#include "MessageLine.h"

#include <cstdio>

namespace zel::tools {

namespace {

void appendEscaped(std::string& line, unsigned char c) {
    switch (c) {
    case '\\': line += "\\\\"; return;
    case '\n': line += "\\n"; return;
    case '\r': line += "\\r"; return;
    case '\t': line += "\\t"; return;
    default: break;
    }
    if (c < 0x20 || c == 0x7F) {
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\x%02x", c);
        line += escape;
    } else {
        line += static_cast<char>(c);  // bytes from 0x80 pass: the target may send UTF-8
    }
}

}  // namespace

std::string messageLine(const terminal::Message& message, const terminal::MessageText& text) {
    std::string line = "type " + std::to_string(message.type) + " " + terminal::kindName(text.kind) + ":";
    std::string_view body = text.text;
    if (text.kind == terminal::TextKind::Hex) {
        while (!body.empty() && body.back() == ' ') body.remove_suffix(1);
    } else if (!body.empty() && body.back() == '\n') {
        body.remove_suffix(1);
    }
    if (text.kind == terminal::TextKind::Other) {
        body = {};
        line += " (" + std::to_string(message.payload.size()) + " bytes of a type the terminal does not know)";
    }
    if (!body.empty()) line += ' ';
    for (char c : body) appendEscaped(line, static_cast<unsigned char>(c));
    return line;
}

}  // namespace zel::tools
