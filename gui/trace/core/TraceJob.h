// A trace file written on a thread of its own (Save Trace, Save Result, Export...): progress in
// tenths of a percent, a stop that ends the work at its next chunk, and the one line the log
// gets at the end ("... Complete...", "... Stopped." or the "Error: ..." of the failed step).
//
// Threads: start, requestStop, join and the destructor belong to one thread; progress(),
// running() and outcome() (after running() turned false) may be read from any. A derived job
// calls endThread() first in its own destructor, so work() never outlives its members.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <thread>

namespace zel::gui::trace {

class TraceJob {
public:
    virtual ~TraceJob() { endThread(); }
    TraceJob(const TraceJob&) = delete;
    TraceJob& operator=(const TraceJob&) = delete;

    void start();
    void requestStop() { stop_.store(true, std::memory_order_relaxed); }
    void join();

    bool running() const { return running_.load(std::memory_order_acquire); }
    int permille() const { return permille_.load(std::memory_order_relaxed); }
    // "%d.%d%%" of the progress.
    std::string progressText() const;
    bool stopRequested() const { return stop_.load(std::memory_order_relaxed); }
    const std::string& outcome() const { return outcome_; }
    bool succeeded() const { return succeeded_; }

protected:
    TraceJob() = default;
    // Runs on the job's thread; returns the outcome line and whether the file is whole.
    struct Outcome {
        std::string line;
        bool succeeded = false;
    };
    virtual Outcome work() = 0;
    void progress(std::size_t done, std::size_t total) {
        permille_.store(total == 0 ? 1000 : static_cast<int>(done * 1000 / total), std::memory_order_relaxed);
    }
    void endThread();

private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    std::atomic<int> permille_{0};
    std::string outcome_;
    bool succeeded_ = false;
    std::thread thread_;
};

}  // namespace zel::gui::trace
