// One emulated usbfs device node: answers the usbdevfs ioctls libusb issues on it (capabilities,
// claim and release, URBs submitted, reaped and discarded, reset) from one simulated emulator.
// Each client (an open file of the node) that claims the interface gets its own link to zelsim
// and a thread that moves its URBs in submission order, as a host controller would.
//
// Threads: ioctls arrive on umockdev's worker thread, transfers run on the session threads and
// disconnect() comes from the test's thread; one mutex guards the sessions.
#pragma once

#include "GObjectRef.h"

#include <umockdev.h>

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace zel::test::usbbridge {

class UsbSession;

class UsbfsDevice {
public:
    explicit UsbfsDevice(std::filesystem::path endpoint);
    ~UsbfsDevice();
    UsbfsDevice(const UsbfsDevice&) = delete;
    UsbfsDevice& operator=(const UsbfsDevice&) = delete;

    UMockdevIoctlBase* handler() const { return handler_.get(); }
    // Unplugged: URBs in flight end with -ESHUTDOWN, later requests fail with ENODEV.
    void disconnect();
    // Every usbdevfs request seen so far, by name.
    std::set<std::string> requestsSeen() const;

private:
    static gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    static void onClientVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    void handle(UMockdevIoctlClient* client);
    int claim(UMockdevIoctlClient* client);  // 0 or an errno
    void submit(UMockdevIoctlClient* client);
    void reap(UMockdevIoctlClient* client);
    void discard(UMockdevIoctlClient* client);
    void driverRequest(UMockdevIoctlClient* client);
    UsbSession* sessionOf(UMockdevIoctlClient* client);

    std::filesystem::path endpoint_;
    GObjectRef<UMockdevIoctlBase> handler_;
    mutable std::mutex mutex_;
    std::map<UMockdevIoctlClient*, std::unique_ptr<UsbSession>> sessions_;
    bool disconnected_ = false;
    std::set<std::string> seen_;
};

}  // namespace zel::test::usbbridge
