#include "OperationWorker.h"

namespace zel::gui {

bool OperationWorker::start(std::function<void()> job, std::function<void()> done) {
    if (busy_) return false;
    busy_ = true;
    thread_ = std::thread([this, job = std::move(job), done = std::move(done)]() mutable {
        job();
        post_([this, done = std::move(done)] {
            if (thread_.joinable()) thread_.join();
            busy_ = false;
            done();
        });
    });
    return true;
}

void OperationWorker::join() {
    if (thread_.joinable()) thread_.join();
    busy_ = false;
}

}  // namespace zel::gui
