#include "presence/UsbPollingSource.h"

#include "presence/EmulatorIds.h"

#include <algorithm>
#include <utility>

namespace zel::session::presence {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<UsbDeviceAddress> emulatorsIn(std::vector<UsbDeviceAddress> devices)
{
    std::erase_if(devices, [](const UsbDeviceAddress& d) { return !isEmulator(d.vendorId, d.productId); });
    std::sort(devices.begin(), devices.end());
    return devices;
}

}  // namespace

UsbPollingSource::UsbPollingSource(std::unique_ptr<UsbDeviceLister> lister, std::chrono::milliseconds interval)
    : lister_(std::move(lister)), interval_(interval)
{
    look();
}

bool UsbPollingSource::wait(std::optional<std::chrono::milliseconds> timeout)
{
    const auto untilLook = std::chrono::ceil<std::chrono::milliseconds>(nextLook_ - Clock::now());
    const bool lookFirst = !timeout || untilLook <= *timeout;
    if (waitReadable(-1, wake_, lookFirst ? untilLook : *timeout) == WaitResult::Woken)
        return false;
    return lookFirst && look();
}

// True when the emulators differ from the last look. A list that cannot be read leaves the last
// look standing: it is no evidence that anything left.
bool UsbPollingSource::look()
{
    nextLook_ = Clock::now() + interval_;
    auto devices = lister_->list();
    if (!devices)
        return false;
    auto emulators = emulatorsIn(std::move(*devices));
    const bool changed = emulators != emulators_;
    emulators_ = std::move(emulators);
    return changed;
}

}  // namespace zel::session::presence
