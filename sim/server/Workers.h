// The threads serving client connections, one per connection. A connection's socket stays
// open until its thread has been joined, so shutting it down from another thread never hits a
// reused descriptor.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace zel::sim {

class Workers {
public:
    static constexpr int kControl = -1;  // owner of control connections

    ~Workers();

    // Runs body(fd) on a new thread; fd is closed after the thread ends. owner: device index
    // or kControl.
    void spawn(int fd, int owner, std::function<void(int fd)> body);
    // Makes every connection of `owner` fail at once (its blocking I/O returns).
    void shutdown(int owner);
    void shutdownDevices();
    // Waits for every thread until the deadline; true when all ended.
    bool joinAll(std::chrono::steady_clock::time_point deadline);

private:
    struct Worker {
        int fd;
        int owner;
        std::thread thread;
        std::atomic<bool> done{false};
    };
    void reapLocked();

    std::mutex mutex_;
    std::condition_variable ended_;
    std::list<std::unique_ptr<Worker>> workers_;
};

}  // namespace zel::sim
