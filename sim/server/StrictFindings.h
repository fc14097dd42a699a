// A device's strict-mode findings: gathered while a transfer runs, then published after the
// transfer's own log line, as NOTE lines and in the `violations` list. Discarded when strict
// checking is off.
#pragma once

#include "core/Findings.h"
#include "core/TransferLog.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace zel::sim {

class StrictFindings final : public Findings {
public:
    StrictFindings(bool enabled, TransferLog& log, size_t limit) : enabled_(enabled), log_(log), limit_(limit) {}

    // Called with the device's model lock held, like everything the model does.
    void flag(std::string text) override {
        if (enabled_) pending_.push_back(std::move(text));
    }
    void publish();

    std::string text() const;
    void clear();

private:
    bool enabled_;
    TransferLog& log_;
    size_t limit_;
    std::vector<std::string> pending_;
    mutable std::mutex mutex_;
    std::deque<std::string> list_;
};

}  // namespace zel::sim
