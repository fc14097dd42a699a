// How one terminal message reads in the log: check points as their hex code (translated
// through the check-point table when asked), binary data as hex bytes, text as it came, time
// stamps in seconds, look-up messages as their table text and parameters.
#pragma once

#include "terminal/CodeTable.h"
#include "terminal/MessageParser.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zel::terminal {

// The colour class of a row; each has its own setting.
enum class TextKind : uint8_t { CheckPoint, Hex, Ascii, Time, LookUp, Other };

TextKind kindOfType(uint8_t type);
const char* kindName(TextKind kind);  // "check-point", "hex", "text", "time", "look-up", "unknown"

inline constexpr const char* kLookUpFailed = "Reading the SPI Hyper-Terminal Look Up Table Failed!.\n";

struct Tables {
    CodeTable lookUp;
    CodeTable checkPoints;
    bool translateCheckPoints = false;
};

struct MessageText {
    TextKind kind = TextKind::Other;
    std::string text;                       // appended to the log
    std::optional<std::string> checkPoint;  // check points: the untranslated code line
};

MessageText renderMessage(const Message& message, const Tables& tables);

// A time value in 10 ns units as "S.FFFFFFFF Seconds\n".
std::string timeText(uint64_t units);

}  // namespace zel::terminal
