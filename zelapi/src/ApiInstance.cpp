#include "ApiInstance.h"

#include "Log.h"
#include "ZelmorProDll.h"
#include "share/ShareChannel.h"
#include "zeldev.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <string>

namespace zel::api {
namespace {

// Creation and destruction are serialised; the exports read the pointer without the lock
// because front ends never close the API while another thread still uses it.
std::mutex lifecycleLock;
std::unique_ptr<CProject> current;
std::unique_ptr<share::ShareChannel> channel;
std::string channelError;

// How long a joining process waits for another one that is setting the segment up.
constexpr std::chrono::milliseconds kShareSetUpLimit{2000};

void startDeviceLibraries()
{
    InitZeldev();
    InitZelmorPro();  // enumerates and opens the attached emulators
}

void stopDeviceLibraries()
{
    ExitZelmorPro();
    ExitZeldev();
}

// Undoes startDeviceLibraries when creation cannot complete: nobody holds the devices then.
void abandonDeviceLibraries()
{
    CloseZelmorProUSB();
    ExitZelmorPro();
    CloseUSBDevice();
    ExitZeldev();
}

// Joining needs no privilege (the segment is private to the user), so there is no debug-privilege
// step. A channel that cannot be set up leaves the API working without it, with one log line.
void joinShareChannel() noexcept
{
    try {
        std::string reason;
        if (const auto names = share::shareNamesFromEnvironment(reason)) {
            if (auto segment = share::ShareSegment::join(*names, kShareSetUpLimit, reason))
                channel = std::make_unique<share::ShareChannel>(std::move(segment));
        }
        channelError = channel ? std::string() : reason;
    } catch (const std::exception& error) {
        channelError = error.what();
    }
    if (!channel)
        log_level_add_ascii(0, "Share channel not set up: %s\n", channelError.c_str());
}

}  // namespace

CProject* project()
{
    return current.get();
}

void createProject() noexcept
{
    std::lock_guard lock(lifecycleLock);
    if (current)
        return;
    std::unique_ptr<CProject> created;
    try {
        created = std::make_unique<CProject>();  // queue, byte vector, chip fields
    } catch (...) {
        return;
    }
    startDeviceLibraries();
    try {
        created->presetImageBuffer(CProject::kStandardBufferSize);
    } catch (...) {
        abandonDeviceLibraries();
        return;
    }
    joinShareChannel();
    current = std::move(created);
}

void destroyProject() noexcept
{
    std::lock_guard lock(lifecycleLock);
    if (!current)
        return;
    stopDeviceLibraries();
    channel.reset();  // ends this process's part in the segment
    channelError.clear();
    current.reset();
}

share::ShareChannel* shareChannel()
{
    return channel.get();
}

const std::string& shareChannelError()
{
    return channelError;
}

}  // namespace zel::api
