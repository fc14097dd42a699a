// Cross-process sharing exports: a process asks the holder of the emulators, through the share
// channel, to let them go and to take them back; the holder polls for such requests and answers.
#include "zelapi.h"

#include "ApiInstance.h"
#include "share/ShareChannel.h"

using zel::api::project;
using zel::api::shareChannel;
using zel::api::share::ShareChannel;

namespace {

int sendRequest(zel::api::share::RequestCode code, std::chrono::milliseconds lockWait)
{
    if (project() == nullptr)
        return 0;
    ShareChannel* channel = shareChannel();
    return channel != nullptr ? channel->request(code, lockWait) : ShareChannel::kLockNotTaken;
}

}  // namespace

extern "C" {

int CliPauseZelmorPro()
{
    return sendRequest(zel::api::share::kPause, ShareChannel::kPauseLockWait);
}

int CliRegainZelmorPro()
{
    return sendRequest(zel::api::share::kRegain, ShareChannel::kRegainLockWait);
}

int CliGetUSBShareEvent()
{
    if (project() == nullptr || shareChannel() == nullptr)
        return 0;
    return static_cast<int>(shareChannel()->poll());
}

void CliReleaseUSBShareEvent()
{
    if (project() != nullptr && shareChannel() != nullptr)
        shareChannel()->answer();
}

const char* CliGetUSBShareError()
{
    if (project() == nullptr)
        return nullptr;
    return zel::api::shareChannelError().c_str();
}

}  // extern "C"
