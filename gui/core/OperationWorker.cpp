#include "OperationWorker.h"

#include <sys/resource.h>
#include <unistd.h>

namespace zel::gui {
namespace {

// The transfer waits on the device most of the time; when it does compute (copies, checksums) it
// yields to the window, which must keep ticking on a busy machine. Linux keeps a nice value per
// thread.
void yieldToTheWindow() { ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10); }

}  // namespace

bool OperationWorker::start(std::function<void()> job, std::function<void()> done) {
    if (busy_) return false;
    busy_ = true;
    thread_ = std::thread([this, job = std::move(job), done = std::move(done)]() mutable {
        yieldToTheWindow();
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
