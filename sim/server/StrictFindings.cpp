#include "server/StrictFindings.h"

namespace zel::sim {

void StrictFindings::publish() {
    if (pending_.empty()) return;
    std::lock_guard lock(mutex_);
    for (auto& text : pending_) {
        log_.note("strict: " + text);
        if (limit_ == 0) continue;
        if (list_.size() >= limit_) list_.pop_front();
        list_.push_back(std::move(text));
    }
    pending_.clear();
}

std::string StrictFindings::text() const {
    std::lock_guard lock(mutex_);
    std::string all;
    for (const auto& line : list_) all += line + "\n";
    return all;
}

void StrictFindings::clear() {
    std::lock_guard lock(mutex_);
    list_.clear();
}

}  // namespace zel::sim
