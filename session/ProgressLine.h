// The progress of long operations on a terminal: one line per device, redrawn in place, e.g.
//   Device 1  download   42%   27.0 / 64.0 MiB   39.8 MiB/s
// at most ten times a second (a device's first report and its last, done == total, are drawn at
// once). On a stream that is not a terminal it writes nothing at all.
//
// Threads: update() may be called from several workers at once. Other output to the same
// terminal goes through whileCleared(), which takes the lines away first, so text never mixes
// with them; they come back with the next update.
#pragma once

#include "ProgressEvent.h"

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace zel::session {

class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    // `fd`: the stream to draw on (stderr, say); it stays owned by the caller.
    explicit ProgressLine(int fd);
    ~ProgressLine();  // takes the lines away
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    bool enabled() const { return enabled_; }
    void update(const ProgressEvent& event);
    void whileCleared(const std::function<void()>& print);

    struct DeviceState {
        ProgressEvent last;
        Clock::time_point started;
    };
    // One device's line, without line end.
    static std::string describe(const DeviceState& state, Clock::time_point now);

private:
    static constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

    void redraw(Clock::time_point now);
    void clear();
    void write(const std::string& text) const;

    int fd_;
    bool enabled_;
    std::mutex mutex_;
    std::map<int, DeviceState> devices_;  // by device index: lines in device order
    int drawn_ = 0;                       // lines on the screen now
    Clock::time_point lastDraw_{};
};

}  // namespace zel::session
