// The worker pattern of download, firmware update and RPMC download: one thread per device that
// passed its main-thread checks, a finished counter under one lock, and a main thread that waits
// until every expected device has been counted (printing the elapsed time with --noisy). Every
// thread is joined before the pool goes away, so no worker outlives the API.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zel::cmd {

class Console;

class WorkerPool {
public:
    // `expected`: the selected devices, each of which is either started or skipped.
    WorkerPool(Console& console, bool noisy, int expected);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void start(std::function<void()> work);
    // A device that the main thread did not hand to a worker.
    void skip();
    // Sleeps 100 ms, then waits until every expected device is counted; joins the workers.
    void wait();
    // Joins the workers started so far (a step that ends early).
    void joinAll();

private:
    void countFinished();
    void printElapsed(double seconds);

    Console& console_;
    bool noisy_;
    int expected_;
    int finished_ = 0;
    bool inProgress_ = true;
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<std::jthread> threads_;
};

}  // namespace zel::cmd
