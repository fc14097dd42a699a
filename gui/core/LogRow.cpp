#include "LogRow.h"

#include <array>
#include <cstdio>
#include <utility>

namespace zel::gui {

LogIcon iconForMessage(std::string_view message) {
    struct Rule {
        std::string_view keyword;
        LogIcon icon;
    };
    static constexpr std::array<Rule, 11> kRules = {{
        {"Error:", LogIcon::Error},
        {"Fail", LogIcon::Error},
        {"Warning:", LogIcon::Warning},
        {"Operation completed", LogIcon::Time},
        {"seconds elapsed", LogIcon::Time},
        {"OK", LogIcon::Success},
        {"Identical", LogIcon::Success},
        {"Loaded", LogIcon::Success},
        {"Pass", LogIcon::Success},
        {"Complete", LogIcon::Success},
        {"opened", LogIcon::Success},
    }};
    for (const auto& rule : kRules)
        if (message.find(rule.keyword) != std::string_view::npos) return rule.icon;
    return LogIcon::Information;
}

LogRow makeLogRow(std::time_t time, std::string message) {
    const LogIcon icon = iconForMessage(message);
    return LogRow{time, std::move(message), icon};
}

std::string logStamp(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d:   ", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

std::string logRowText(const LogRow& row) { return logStamp(row.time) + row.message; }

std::string logRowDisplayText(const LogRow& row) {
    std::string text = logRowText(row);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

}  // namespace zel::gui
