// One row of the operation log: when it was logged, what it says and the icon its keywords earn.
// Rows are kept compact (no widget, no formatted copy); the text of a row is built when shown.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace zel::gui {

// The icons of the log's image list, numbered as the image list orders them.
enum class LogIcon : std::uint8_t { Warning = 0, Information = 1, Error = 2, Time = 5, Success = 6 };

// The icon of the first keyword found, in the fixed keyword order.
LogIcon iconForMessage(std::string_view message);

struct LogRow {
    std::time_t time = 0;
    std::string message;
    LogIcon icon = LogIcon::Information;
};

LogRow makeLogRow(std::time_t time, std::string message);

// "YYYY-MM-DD hh:mm:ss:   " in local time (three blanks after the colon).
std::string logStamp(std::time_t time);
// The stamp followed by the message, as the log is saved.
std::string logRowText(const LogRow& row);
// The message on one line, for a list row: line ends become blanks, trailing ones go.
std::string logRowDisplayText(const LogRow& row);

}  // namespace zel::gui
