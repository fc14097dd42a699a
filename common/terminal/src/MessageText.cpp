#include "terminal/MessageText.h"

#include <cstdio>
#include <span>

namespace zel::terminal {

namespace {

std::string hexDigits(std::span<const uint8_t> bytes, const char* format) {
    std::string text;
    char cell[4];
    for (uint8_t byte : bytes) {
        std::snprintf(cell, sizeof cell, format, byte);
        text += cell;
    }
    return text;
}

std::string checkPointText(const Message& message, const Tables& tables, MessageText& out) {
    const std::string code = hexDigits(message.payload, "%02x");
    out.checkPoint = code + "\n";
    if (!tables.translateCheckPoints) return code + "\n";
    return code + " " + tables.checkPoints.find(code).value_or(" ") + "\n";
}

// The table's text, a blank and the parameters, as one line. A missing identifier keeps the
// failure sentence on the same line as its parameters, so they are not orphaned on a row.
std::string lookUpText(const Message& message, const Tables& tables) {
    const auto idLength = std::min<size_t>(2, message.payload.size());
    const std::string id = hexDigits(std::span(message.payload).first(idLength), "%02x");
    std::string text = tables.lookUp.find(id).value_or(kLookUpFailed);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const std::string parameters(message.payload.begin() + idLength, message.payload.end());
    return text + " " + parameters + "\n";
}

uint64_t bigEndian(std::span<const uint8_t> bytes) {
    uint64_t value = 0;
    for (uint8_t byte : bytes.first(std::min<size_t>(bytes.size(), 4))) value = value << 8 | byte;
    return value;
}

}  // namespace

TextKind kindOfType(uint8_t type) {
    switch (type) {
    case 1: case 2: case 3: return TextKind::CheckPoint;
    case 4: return TextKind::Hex;
    case 5: return TextKind::Ascii;
    case 6: return TextKind::Time;
    case 7: return TextKind::LookUp;
    default: return TextKind::Other;
    }
}

const char* kindName(TextKind kind) {
    switch (kind) {
    case TextKind::CheckPoint: return "check-point";
    case TextKind::Hex: return "hex";
    case TextKind::Ascii: return "text";
    case TextKind::Time: return "time";
    case TextKind::LookUp: return "look-up";
    case TextKind::Other: break;
    }
    return "unknown";
}

std::string timeText(uint64_t units) {
    char text[48];
    std::snprintf(text, sizeof text, "%llu.%08llu Seconds\n", static_cast<unsigned long long>(units / 100000000),
                  static_cast<unsigned long long>(units % 100000000));
    return text;
}

MessageText renderMessage(const Message& message, const Tables& tables) {
    MessageText out;
    out.kind = kindOfType(message.type);
    const auto& payload = message.payload;
    switch (out.kind) {
    case TextKind::CheckPoint: out.text = checkPointText(message, tables, out); break;
    case TextKind::Hex: out.text = hexDigits(payload, "%02x "); break;
    case TextKind::Ascii: out.text.assign(payload.begin(), payload.end()); break;
    case TextKind::Time: out.text = timeText(bigEndian(payload)); break;
    case TextKind::LookUp: out.text = lookUpText(message, tables); break;
    case TextKind::Other: break;  // a type the terminal does not know shows nothing
    }
    return out;
}

}  // namespace zel::terminal
