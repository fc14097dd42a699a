#include "OperationProgress.h"

namespace zel::gui {

session::ProgressAnswer OperationProgress::report(const session::ProgressEvent& event) {
    total_.store(event.total, std::memory_order_relaxed);
    done_.store(event.done, std::memory_order_relaxed);
    return cancel_.requested() ? session::ProgressAnswer::Cancel : session::ProgressAnswer::Continue;
}

int OperationProgress::percent() const {
    const std::uint64_t total = total_.load(std::memory_order_relaxed);
    const std::uint64_t done = done_.load(std::memory_order_relaxed);
    if (total == 0) return 0;
    return static_cast<int>(done >= total ? 100 : done * 100 / total);
}

void OperationProgress::begin() {
    done_.store(0, std::memory_order_relaxed);
    total_.store(0, std::memory_order_relaxed);
    cancel_.reset();
}

}  // namespace zel::gui
