#include "server/Workers.h"

#include <sys/socket.h>
#include <unistd.h>

namespace zel::sim {

Workers::~Workers() {
    std::lock_guard lock(mutex_);
    for (auto& w : workers_) {
        if (w->done) {
            w->thread.join();
            continue;
        }
        // A thread that would not end is left to the process's end, which comes next
        // (the simulator exits without running further destructors then).
        w->thread.detach();
        (void)w.release();
    }
}

void Workers::spawn(int fd, int owner, std::function<void(int fd)> body) {
    std::lock_guard lock(mutex_);
    reapLocked();
    auto worker = std::make_unique<Worker>();
    worker->fd = fd;
    worker->owner = owner;
    Worker* raw = worker.get();
    workers_.push_back(std::move(worker));
    raw->thread = std::thread([this, raw, body = std::move(body)] {
        body(raw->fd);
        ::shutdown(raw->fd, SHUT_RDWR);  // the peer sees the end now; the descriptor closes at reaping
        {
            std::lock_guard lock(mutex_);
            raw->done = true;
        }
        ended_.notify_all();
    });
}

void Workers::reapLocked() {
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (!(*it)->done) {
            ++it;
            continue;
        }
        (*it)->thread.join();
        ::close((*it)->fd);
        it = workers_.erase(it);
    }
}

void Workers::shutdown(int owner) {
    std::lock_guard lock(mutex_);
    for (auto& w : workers_)
        if (w->owner == owner && !w->done) ::shutdown(w->fd, SHUT_RDWR);
}

void Workers::shutdownDevices() {
    std::lock_guard lock(mutex_);
    for (auto& w : workers_)
        if (w->owner != kControl && !w->done) ::shutdown(w->fd, SHUT_RDWR);
}

bool Workers::joinAll(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    for (;;) {
        reapLocked();
        if (workers_.empty()) return true;
        if (ended_.wait_until(lock, deadline) == std::cv_status::timeout) {
            reapLocked();
            return workers_.empty();
        }
    }
}

}  // namespace zel::sim
