// Where every thread drops its operation-log messages; the user-interface thread takes them in
// batches, so a worker never touches the log's model and a burst of lines costs one insertion.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "LogRow.h"

namespace zel::gui {

// What the device logic logs through.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void log(std::string message) = 0;
};

// Threads: log() from any thread; takeAll() from the thread that shows the rows.
class LogQueue final : public LogSink {
public:
    using Clock = std::function<std::time_t()>;
    explicit LogQueue(Clock clock = [] { return std::time(nullptr); }) : clock_(std::move(clock)) {}

    void log(std::string message) override;
    std::vector<LogRow> takeAll();

private:
    Clock clock_;
    std::mutex mutex_;
    std::vector<LogRow> pending_;
};

}  // namespace zel::gui
