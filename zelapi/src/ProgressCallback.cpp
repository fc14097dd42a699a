#include "ProgressCallback.h"

#include <atomic>
#include <mutex>
#include <shared_mutex>

namespace zel::api {
namespace {

struct Installed {
    std::shared_mutex lock;
    ZelProgressCallback callback = nullptr;
    void* context = nullptr;
    std::atomic<bool> present{false};
};

Installed& installed()
{
    static Installed instance;
    return instance;
}

}  // namespace

void setProgressCallback(ZelProgressCallback callback, void* context)
{
    auto& slot = installed();
    std::unique_lock hold(slot.lock);
    slot.callback = callback;
    slot.context = context;
    slot.present.store(callback != nullptr, std::memory_order_relaxed);
}

bool progressCallbackInstalled()
{
    return installed().present.load(std::memory_order_relaxed);
}

bool callProgressCallback(const ProgressEvent& event)
{
    auto& slot = installed();
    std::shared_lock hold(slot.lock);
    if (slot.callback == nullptr)
        return false;
    return slot.callback(slot.context, event.operation, event.device, event.done, event.total) != 0;
}

}  // namespace zel::api
