#include "ShareEventWatcher.h"

namespace zel::gui {

ShareEventWatcher::ShareEventWatcher(HolderApi& holder, Deliver deliver, std::chrono::milliseconds pause)
    : holder_(holder), deliver_(std::move(deliver)), pause_(pause), thread_([this](std::stop_token stop) { run(stop); }) {}

ShareEventWatcher::~ShareEventWatcher() {
    thread_.request_stop();
    thread_.join();
}

void ShareEventWatcher::answered() {
    {
        std::lock_guard lock(mutex_);
        awaitingAnswer_ = false;
    }
    wake_.notify_all();
}

void ShareEventWatcher::run(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    while (!stop.stop_requested()) {
        if (serving_.load(std::memory_order_relaxed)) {
            lock.unlock();
            const int event = holder_.shareEvent();
            lock.lock();
            if (event != 0) {
                awaitingAnswer_ = true;
                deliver_(event);
                wake_.wait(lock, stop, [this] { return !awaitingAnswer_; });
            }
        }
        wake_.wait_for(lock, stop, pause_, [] { return false; });
    }
}

}  // namespace zel::gui
