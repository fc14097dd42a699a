// Presence of emulators where libusb has no hot-plug support: the device list is read at a fixed
// interval and its emulators (identity, bus and address) compared with the last look.
#pragma once

#include "presence/PresenceSource.h"
#include "presence/UsbDeviceLister.h"
#include "presence/WakeFd.h"

#include <memory>
#include <vector>

namespace zel::session::presence {

class UsbPollingSource final : public PresenceSource {
public:
    static constexpr std::chrono::milliseconds kDefaultInterval{1000};

    // Takes the first look at once: what is attached then is no change.
    explicit UsbPollingSource(std::unique_ptr<UsbDeviceLister> lister,
                              std::chrono::milliseconds interval = kDefaultInterval);

    bool wait(std::optional<std::chrono::milliseconds> timeout) override;
    void wake() override { wake_.signal(); }

private:
    bool look();

    std::unique_ptr<UsbDeviceLister> lister_;
    std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point nextLook_;
    std::vector<UsbDeviceAddress> emulators_;  // sorted
    WakeFd wake_;
};

}  // namespace zel::session::presence
