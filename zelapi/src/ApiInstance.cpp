#include "ApiInstance.h"

#include "ZelmorProDll.h"
#include "zeldev.h"

#include <memory>
#include <mutex>

namespace zel::api {
namespace {

// Creation and destruction are serialised; the exports read the pointer without the lock
// because front ends never close the API while another thread still uses it.
std::mutex lifecycleLock;
std::unique_ptr<CProject> current;

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
    // The cross-process share channel is joined here once that group exists; until then it
    // stays unset, which creation tolerates by design.
    current = std::move(created);
}

void destroyProject() noexcept
{
    std::lock_guard lock(lifecycleLock);
    if (!current)
        return;
    stopDeviceLibraries();
    current.reset();
}

}  // namespace zel::api
