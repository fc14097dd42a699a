#include "WorkerPool.h"

#include <chrono>
#include <iomanip>
#include <sstream>
#include <string>

#include "Console.h"

namespace zel::cmd {
namespace {

constexpr auto kFirstSleep = std::chrono::milliseconds(100);
constexpr auto kPollInterval = std::chrono::milliseconds(100);

}  // namespace

WorkerPool::WorkerPool(Console& console, bool noisy, int expected)
    : console_(console), noisy_(noisy), expected_(expected), inProgress_(expected > 0) {}

WorkerPool::~WorkerPool() { joinAll(); }

void WorkerPool::start(std::function<void()> work) {
    threads_.emplace_back([this, work = std::move(work)] {
        work();
        countFinished();
    });
}

void WorkerPool::skip() { countFinished(); }

void WorkerPool::countFinished() {
    std::lock_guard guard(lock_);
    ++finished_;
    if (finished_ >= expected_) inProgress_ = false;
    changed_.notify_all();
}

void WorkerPool::wait() {
    const auto began = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(kFirstSleep);
    std::unique_lock guard(lock_);
    while (inProgress_) {
        if (noisy_) {
            guard.unlock();
            printElapsed(std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
            guard.lock();
        }
        changed_.wait_for(guard, kPollInterval, [this] { return !inProgress_; });
    }
    guard.unlock();
    joinAll();
}

void WorkerPool::joinAll() {
    for (auto& thread : threads_) {
        if (thread.joinable()) thread.join();
    }
    threads_.clear();
}

void WorkerPool::printElapsed(double seconds) {
    std::ostringstream line;
    // Two decimals keep the number inside its 7 columns, so each line covers the one before.
    line << std::string(16, '\b') << std::fixed << std::setprecision(2) << std::setw(7) << std::setfill(' ')
         << seconds << "s elapsed";
    console_.out(line.str());
}

}  // namespace zel::cmd
