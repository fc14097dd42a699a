// The C exports of the log: argument checks and printf formatting, then the log file.
#include "Log.h"

#include "LogFile.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

// Formats a printf-style line of any length; empty when the format is unusable.
std::string formatLine(const char* format, va_list arguments)
{
    va_list measure;
    va_copy(measure, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0)
        return {};
    std::string line(static_cast<size_t>(length), '\0');
    std::vsnprintf(line.data(), line.size() + 1, format, arguments);
    // The callers' texts end in "\n" by habit; the file adds its own line ends.
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

}  // namespace

extern "C" {

void log_init_c(const char* title)
{
    zel::log::LogFile::instance().open(title != nullptr ? std::string_view(title) : std::string_view());
}

void log_exit_c(void)
{
    zel::log::LogFile::instance().close();
}

void log_level_add_ascii(int level, const char* format, ...)
{
    auto& file = zel::log::LogFile::instance();
    if (format == nullptr || !file.isOpen())
        return;
    std::string line;
    va_list arguments;
    va_start(arguments, format);
    try {
        line = formatLine(format, arguments);
    } catch (...) {
        // Out of memory while formatting: the line is dropped.
    }
    va_end(arguments);
    if (!line.empty())
        file.write(level, line);
}

}  // extern "C"
