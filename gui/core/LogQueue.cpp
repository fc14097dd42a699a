#include "LogQueue.h"

namespace zel::gui {

void LogQueue::log(std::string message) {
    LogRow row = makeLogRow(clock_(), std::move(message));
    const std::lock_guard lock(mutex_);
    pending_.push_back(std::move(row));
}

std::vector<LogRow> LogQueue::takeAll() {
    std::vector<LogRow> rows;
    const std::lock_guard lock(mutex_);
    rows.swap(pending_);
    return rows;
}

}  // namespace zel::gui
