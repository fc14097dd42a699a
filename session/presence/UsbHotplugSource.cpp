#include "presence/UsbHotplugSource.h"

#include "presence/EmulatorIds.h"

#include <algorithm>
#include <utility>

namespace zel::session::presence {
namespace {

// An unbounded wait is made of long ones: libusb takes a timeval, and wake() ends each early.
constexpr std::chrono::seconds kLongestWait{60};

timeval toTimeval(std::chrono::milliseconds wait)
{
    wait = std::clamp<std::chrono::milliseconds>(wait, std::chrono::milliseconds(0), kLongestWait);
    return {static_cast<time_t>(wait.count() / 1000), static_cast<suseconds_t>(wait.count() % 1000 * 1000)};
}

}  // namespace

std::unique_ptr<UsbHotplugSource> UsbHotplugSource::create()
{
    if (libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG) == 0)
        return nullptr;
    libusb_context* context = nullptr;
    if (libusb_init(&context) != LIBUSB_SUCCESS)
        return nullptr;
    std::unique_ptr<UsbHotplugSource> source(new UsbHotplugSource(context));
    if (!source->registerCallbacks())
        return nullptr;
    return source;
}

UsbHotplugSource::~UsbHotplugSource()
{
    for (auto callback : callbacks_)
        libusb_hotplug_deregister_callback(context_, callback);
    libusb_exit(context_);
}

bool UsbHotplugSource::registerCallbacks()
{
    constexpr auto events =
        static_cast<libusb_hotplug_event>(LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED | LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT);
    for (std::uint16_t productId : kEmulatorProductIds) {
        libusb_hotplug_callback_handle handle = 0;
        // No LIBUSB_HOTPLUG_ENUMERATE: emulators attached before the watcher started are no change.
        if (libusb_hotplug_register_callback(context_, events, static_cast<libusb_hotplug_flag>(0), kEmulatorVendorId,
                                             productId, LIBUSB_HOTPLUG_MATCH_ANY, onEvent, this,
                                             &handle) != LIBUSB_SUCCESS)
            return false;
        callbacks_.push_back(handle);
    }
    return true;
}

bool UsbHotplugSource::wait(std::optional<std::chrono::milliseconds> timeout)
{
    timeval limit = toTimeval(timeout.value_or(kLongestWait));
    libusb_handle_events_timeout_completed(context_, &limit, nullptr);
    return std::exchange(changed_, false);
}

int LIBUSB_CALL UsbHotplugSource::onEvent(libusb_context*, libusb_device*, libusb_hotplug_event, void* self)
{
    static_cast<UsbHotplugSource*>(self)->changed_ = true;
    return 0;  // stay registered
}

}  // namespace zel::session::presence
