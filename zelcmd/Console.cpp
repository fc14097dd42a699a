#include "Console.h"

#include <cstdarg>
#include <vector>

namespace zel::cmd {

void Console::line(std::string_view text) {
    std::string whole(text);
    whole += '\n';
    out(whole);
}

void ProcessConsole::write(std::FILE* stream, std::string_view text) {
    std::lock_guard guard(lock_);
    std::fwrite(text.data(), 1, text.size(), stream);
    // Progress lines without a line end (the timer, prompts) must show at once.
    std::fflush(stream);
}

void ProcessConsole::out(std::string_view text) { write(stdout, text); }
void ProcessConsole::err(std::string_view text) { write(stderr, text); }

void ProcessConsole::flush() {
    std::lock_guard guard(lock_);
    std::fflush(stdout);
    std::fflush(stderr);
}

void RecordingConsole::out(std::string_view text) {
    std::lock_guard guard(lock_);
    out_ += text;
}

void RecordingConsole::err(std::string_view text) {
    std::lock_guard guard(lock_);
    err_ += text;
}

std::string RecordingConsole::stdoutText() const {
    std::lock_guard guard(lock_);
    return out_;
}

std::string RecordingConsole::stderrText() const {
    std::lock_guard guard(lock_);
    return err_;
}

std::string format(const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, pattern, copy);
    va_end(copy);
    std::string result;
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), pattern, args);
        result.assign(buffer.data(), static_cast<size_t>(length));
    }
    va_end(args);
    return result;
}

}  // namespace zel::cmd
