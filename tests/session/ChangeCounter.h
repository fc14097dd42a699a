// Counts the "devices changed" signals a watcher raises, so that a test can wait for the next one
// with a bound or check that none came.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace zel::session::presence::test {

class ChangeCounter {
public:
    std::function<void()> callback()
    {
        return [this] {
            std::lock_guard lock(mutex_);
            ++count_;
            changed_.notify_all();
        };
    }
    // True once the count has reached `count` within the limit.
    bool waitFor(int count, std::chrono::milliseconds limit = std::chrono::seconds(3))
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return count_ >= count; });
    }
    // The count after a quiet spell long enough for a pending signal to have come.
    int settled(std::chrono::milliseconds quiet = std::chrono::milliseconds(300))
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, quiet, [] { return false; });
        return count_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

}  // namespace zel::session::presence::test
