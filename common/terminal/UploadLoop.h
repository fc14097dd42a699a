// The terminal's upload thread: it moves uFIFO blocks into the receive queue until stopped or a
// transfer fails. Another thread that must use the device (Send, the share hand-over, a stop)
// first pauses the loop: pause() returns once the loop is between transfers and will start no
// other, so two threads never use one device at once. Every wait is bounded.
// Threads: start, stop, pause and resume from one controlling thread (the GUI thread, or
// zelterm's main thread); `upload` and `onFailure` run on the loop's own thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace zel::terminal {

class UploadLoop {
public:
    // One block moved into the queue: how many bytes, or nothing when the transfer failed.
    using Upload = std::function<std::optional<size_t>()>;

    explicit UploadLoop(Upload upload, std::function<void()> onFailure = {},
                        std::chrono::microseconds idle = std::chrono::microseconds(500));
    ~UploadLoop();  // stops and joins
    UploadLoop(const UploadLoop&) = delete;
    UploadLoop& operator=(const UploadLoop&) = delete;

    void start();
    void stop();
    // True once the loop is parked between transfers (or not running); false when the transfer
    // under way did not end within `wait` — the device must then be left alone; the loop still
    // parks after it and waits for resume().
    bool pause(std::chrono::milliseconds wait);
    void resume();

    bool running() const;
    bool failed() const;

private:
    enum class State { Idle, Running, PauseRequested, Paused, Stopping, Failed };
    void run();
    bool waitWhilePaused(std::unique_lock<std::mutex>& lock);

    Upload upload_;
    std::function<void()> onFailure_;
    std::chrono::microseconds idle_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    State state_ = State::Idle;
    std::thread thread_;
};

// Pauses a loop for as long as it lives; test it before touching the device.
class LoopPause {
public:
    LoopPause(UploadLoop& loop, std::chrono::milliseconds wait) : loop_(loop), paused_(loop.pause(wait)) {}
    ~LoopPause() { loop_.resume(); }
    LoopPause(const LoopPause&) = delete;
    LoopPause& operator=(const LoopPause&) = delete;
    explicit operator bool() const { return paused_; }

private:
    UploadLoop& loop_;
    bool paused_;
};

}  // namespace zel::terminal
