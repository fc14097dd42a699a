// "Save Trace" and "Save Result" on a thread of their own: the full-trace text of a captured
// buffer or the result text of a filter, into a file the user chose, with progress in tenths of a
// percent and a stop that ends the text at the next chunk. The outcome is one line for the log:
// "Save Log Complete!" or the "Error: ..." of the failed open, write or close.
//
// Threads: start, stop, join and the destructor belong to one thread; progress(), running() and
// outcome() (after running() turned false) may be read from any.
#pragma once

#include "TraceCapture.h"
#include "trace/TraceDecoding.h"
#include "trace/TraceFilter.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace zel::gui::trace {

class TraceSaveJob {
public:
    // The full trace of `trace`; the context (and its tables) outlive the job.
    TraceSaveJob(CapturedTrace trace, zel::trace::DecodeContext context, std::filesystem::path file);
    // The result text of `result`.
    TraceSaveJob(std::shared_ptr<const zel::trace::FilteredTrace> result, zel::trace::DecodeContext context,
                 std::filesystem::path file);
    ~TraceSaveJob();
    TraceSaveJob(const TraceSaveJob&) = delete;
    TraceSaveJob& operator=(const TraceSaveJob&) = delete;

    void start();
    void requestStop() { stop_.store(true, std::memory_order_relaxed); }
    void join();

    bool running() const { return running_.load(std::memory_order_acquire); }
    int permille() const { return permille_.load(std::memory_order_relaxed); }
    // "%d.%d%%" of the progress.
    std::string progressText() const;
    bool stopRequested() const { return stop_.load(std::memory_order_relaxed); }
    // After the job ended: "Save Log Complete!", "Save Log Stopped." (a stop cut the text short)
    // or the error line.
    const std::string& outcome() const { return outcome_; }
    bool succeeded() const { return succeeded_; }

private:
    void run();
    void writeFull(zel::trace::TextSink& sink);
    void writeResultText(zel::trace::TextSink& sink);

    CapturedTrace trace_;
    std::shared_ptr<const zel::trace::FilteredTrace> result_;
    zel::trace::DecodeContext context_;
    std::filesystem::path file_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    std::atomic<int> permille_{0};
    std::string outcome_;
    bool succeeded_ = false;
    bool cut_ = false;  // a stop ended the text before its end
    std::thread thread_;
};

}  // namespace zel::gui::trace
