// One way of noticing emulators arrive and leave: the simulator folder, libusb hot-plug or a
// polled USB device list. PresenceWatcher's thread is the only caller of wait(); wake() may come
// from any thread.
#pragma once

#include <chrono>
#include <memory>
#include <optional>

namespace zel::session::presence {

class PresenceSource {
public:
    virtual ~PresenceSource() = default;

    // Waits up to `timeout` (nullopt: no bound) for emulators to arrive or leave; true when some
    // did since the last call. Returns early after wake(), which is not lost when it comes
    // before the wait starts.
    virtual bool wait(std::optional<std::chrono::milliseconds> timeout) = 0;
    virtual void wake() = 0;
};

// The source that matches the device libraries' transport (makeTransport): the ZELMOR_SIM folder
// when it names one, else libusb hot-plug when libusb offers it, else a poll of the USB device
// list every second. Throws std::system_error when the simulator folder cannot be watched.
std::unique_ptr<PresenceSource> makePresenceSource();

}  // namespace zel::session::presence
