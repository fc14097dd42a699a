#include "ProgressLine.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace zel::session {
namespace {

constexpr double kMiB = 1024.0 * 1024.0;

std::string cursorUp(int lines)
{
    return "\r\x1b[" + std::to_string(lines) + "A";
}

}  // namespace

ProgressLine::ProgressLine(int fd) : fd_(fd), enabled_(::isatty(fd) == 1) {}

ProgressLine::~ProgressLine()
{
    std::lock_guard hold(mutex_);
    clear();
}

std::string ProgressLine::describe(const DeviceState& state, Clock::time_point now)
{
    const auto& e = state.last;
    const double seconds = std::chrono::duration<double>(now - state.started).count();
    const int percent = e.total == 0 ? 100 : static_cast<int>(e.done * 100 / e.total);
    char text[128];
    std::snprintf(text, sizeof text, "Device %d  %-8s %4d%%  %7.1f / %.1f MiB", e.device + 1,
                  std::string(operationName(e.operation)).c_str(), percent, e.done / kMiB, e.total / kMiB);
    std::string line = text;
    if (seconds > 0.05 && e.done > 0) {
        std::snprintf(text, sizeof text, "  %6.1f MiB/s", e.done / kMiB / seconds);
        line += text;
    }
    return line;
}

void ProgressLine::update(const ProgressEvent& event)
{
    if (!enabled_)
        return;
    const auto now = Clock::now();
    std::lock_guard hold(mutex_);
    auto [entry, fresh] = devices_.try_emplace(event.device, DeviceState{event, now});
    auto& state = entry->second;
    // A new operation on the device starts its clock again.
    if (!fresh && (event.done == 0 || event.operation != state.last.operation || event.done < state.last.done))
        state.started = now;
    const bool finished = event.done == event.total && state.last.done != event.done;
    state.last = event;
    if (fresh || finished || now - lastDraw_ >= kRedrawInterval)
        redraw(now);
}

void ProgressLine::whileCleared(const std::function<void()>& print)
{
    std::lock_guard hold(mutex_);
    clear();
    // What follows is usually the finished operation's own message: its line has had its say.
    std::erase_if(devices_, [](const auto& entry) { return entry.second.last.done == entry.second.last.total; });
    print();
}

void ProgressLine::redraw(Clock::time_point now)
{
    std::string text = drawn_ > 0 ? cursorUp(drawn_) : "\r";
    for (const auto& [device, state] : devices_)
        text += describe(state, now) + "\x1b[K\n";
    text += "\x1b[J";
    write(text);
    drawn_ = static_cast<int>(devices_.size());
    lastDraw_ = now;
}

void ProgressLine::clear()
{
    if (drawn_ == 0)
        return;
    write(cursorUp(drawn_) + "\x1b[J");
    drawn_ = 0;
}

void ProgressLine::write(const std::string& text) const
{
    const char* data = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;  // a terminal that is gone gets no progress
        data += n;
        left -= static_cast<size_t>(n);
    }
}

}  // namespace zel::session
