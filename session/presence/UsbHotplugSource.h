// Presence of emulators through libusb hot-plug callbacks, registered for the emulator identities
// only, so other devices never wake the watcher. The callbacks run inside wait(), on the
// watcher's thread; wake() interrupts libusb's event handling.
#pragma once

#include "presence/PresenceSource.h"

#include <libusb.h>

#include <memory>
#include <vector>

namespace zel::session::presence {

class UsbHotplugSource final : public PresenceSource {
public:
    // nullptr when libusb cannot start, lacks hot-plug support or refuses the callbacks.
    static std::unique_ptr<UsbHotplugSource> create();
    ~UsbHotplugSource() override;
    UsbHotplugSource(const UsbHotplugSource&) = delete;
    UsbHotplugSource& operator=(const UsbHotplugSource&) = delete;

    bool wait(std::optional<std::chrono::milliseconds> timeout) override;
    void wake() override { libusb_interrupt_event_handler(context_); }

private:
    explicit UsbHotplugSource(libusb_context* context) : context_(context) {}
    bool registerCallbacks();
    static int LIBUSB_CALL onEvent(libusb_context*, libusb_device*, libusb_hotplug_event, void* self);

    libusb_context* context_;
    std::vector<libusb_hotplug_callback_handle> callbacks_;
    bool changed_ = false;  // set by onEvent during wait()
};

}  // namespace zel::session::presence
