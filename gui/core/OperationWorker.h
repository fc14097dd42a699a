// Runs one long operation (download, verify, read, load) at a time on its own thread and hands
// its end to the user-interface thread, where the thread is joined before `done` runs.
//
// Threads: start(), busy() and the destructor on the user-interface thread. `post` must run its
// function later on that thread (the Qt layer queues it to the window) and drop it when the
// window is gone.
#pragma once

#include <functional>
#include <thread>

namespace zel::gui {

class OperationWorker {
public:
    using Post = std::function<void(std::function<void()>)>;
    explicit OperationWorker(Post post) : post_(std::move(post)) {}
    ~OperationWorker() { join(); }
    OperationWorker(const OperationWorker&) = delete;
    OperationWorker& operator=(const OperationWorker&) = delete;

    bool busy() const { return busy_; }
    // False (nothing started) while another operation runs.
    bool start(std::function<void()> job, std::function<void()> done);
    // Waits for a running job; its `done` is then not run. For shutdown only.
    void join();

private:
    Post post_;
    std::thread thread_;
    bool busy_ = false;
};

}  // namespace zel::gui
