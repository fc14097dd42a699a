#include "terminal/UploadLoop.h"

namespace zel::terminal {

UploadLoop::UploadLoop(Upload upload, std::function<void()> onFailure, std::chrono::microseconds idle)
    : upload_(std::move(upload)), onFailure_(std::move(onFailure)), idle_(idle) {}

UploadLoop::~UploadLoop() { stop(); }

void UploadLoop::start() {
    stop();
    std::lock_guard lock(mutex_);
    state_ = State::Running;
    thread_ = std::thread([this] { run(); });
}

void UploadLoop::stop() {
    {
        std::lock_guard lock(mutex_);
        if (state_ != State::Idle && state_ != State::Failed) state_ = State::Stopping;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
    std::lock_guard lock(mutex_);
    if (state_ == State::Stopping) state_ = State::Idle;
}

bool UploadLoop::pause(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    if (state_ == State::Running) state_ = State::PauseRequested;
    changed_.notify_all();
    return changed_.wait_for(lock, wait, [this] { return state_ != State::PauseRequested; });
}

void UploadLoop::resume() {
    {
        std::lock_guard lock(mutex_);
        if (state_ == State::PauseRequested || state_ == State::Paused) state_ = State::Running;
    }
    changed_.notify_all();
}

bool UploadLoop::running() const {
    std::lock_guard lock(mutex_);
    return state_ == State::Running || state_ == State::PauseRequested || state_ == State::Paused;
}

bool UploadLoop::failed() const {
    std::lock_guard lock(mutex_);
    return state_ == State::Failed;
}

// Parks while a pause is asked for (a resume and a new pause may both come before it wakes);
// false when the loop is to end.
bool UploadLoop::waitWhilePaused(std::unique_lock<std::mutex>& lock) {
    for (;;) {
        if (state_ == State::PauseRequested) {
            state_ = State::Paused;
            changed_.notify_all();
        }
        if (state_ == State::Running) return true;
        if (state_ != State::Paused) return false;
        changed_.wait(lock);
    }
}

void UploadLoop::run() {
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            if (!waitWhilePaused(lock)) return;
        }
        const auto moved = upload_();
        std::unique_lock lock(mutex_);
        if (!moved) {
            state_ = State::Failed;
            changed_.notify_all();
            lock.unlock();
            if (onFailure_) onFailure_();
            return;
        }
        if (*moved == 0) changed_.wait_for(lock, idle_, [this] { return state_ != State::Running; });
    }
}

}  // namespace zel::terminal
