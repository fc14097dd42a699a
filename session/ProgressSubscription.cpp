#include "ProgressSubscription.h"

#include <atomic>
#include <stdexcept>

namespace zel::session {
namespace {

std::atomic<bool> subscribed{false};

}  // namespace

std::string_view operationName(Operation operation)
{
    switch (operation) {
    case Operation::Download: return "download";
    case Operation::Verify: return "verify";
    case Operation::Read: return "read";
    case Operation::Firmware: return "firmware";
    }
    return "operation";
}

ProgressSubscription::ProgressSubscription(Sink sink) : sink_(std::move(sink))
{
    if (subscribed.exchange(true))
        throw std::logic_error("only one progress subscription may exist at a time");
    CliSetProgressCallback(&ProgressSubscription::forward, this);
}

ProgressSubscription::~ProgressSubscription()
{
    CliSetProgressCallback(nullptr, nullptr);
    subscribed.store(false);
}

// Nothing may unwind into the C library: a sink that throws lets the operation go on.
int ProgressSubscription::forward(void* context, int operation, int index, std::uint64_t done, std::uint64_t total)
{
    auto* self = static_cast<ProgressSubscription*>(context);
    try {
        const ProgressEvent event{static_cast<Operation>(operation), index, done, total};
        return self->sink_(event) == ProgressAnswer::Cancel ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

}  // namespace zel::session
