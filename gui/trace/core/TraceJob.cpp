#include "TraceJob.h"

#include "ThreadPriority.h"

#include <cstdio>

namespace zel::gui::trace {

void TraceJob::start() {
    running_.store(true, std::memory_order_release);
    thread_ = std::thread([this] {
        capture::yieldToOtherThreads();  // the window keeps its turn on a busy machine
        Outcome outcome = work();
        outcome_ = std::move(outcome.line);
        succeeded_ = outcome.succeeded;
        running_.store(false, std::memory_order_release);
    });
}

void TraceJob::join() {
    if (thread_.joinable()) thread_.join();
}

void TraceJob::endThread() {
    requestStop();
    join();
}

std::string TraceJob::progressText() const {
    const int value = permille();
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d%%", value / 10, value % 10);
    return text;
}

}  // namespace zel::gui::trace
