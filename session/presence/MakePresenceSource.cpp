// The backend choice, made as makeTransport() makes it for the device libraries.
#include "presence/PresenceSource.h"
#include "presence/SimFolderSource.h"
#include "presence/UsbDeviceLister.h"
#include "presence/UsbHotplugSource.h"
#include "presence/UsbPollingSource.h"

#include <cstdlib>

namespace zel::session::presence {

std::unique_ptr<PresenceSource> makePresenceSource()
{
    const char* folder = std::getenv("ZELMOR_SIM");
    if (folder != nullptr && *folder != '\0')
        return std::make_unique<SimFolderSource>(folder);
    if (auto hotplug = UsbHotplugSource::create())
        return hotplug;
    return std::make_unique<UsbPollingSource>(makeLibusbDeviceLister());
}

}  // namespace zel::session::presence
