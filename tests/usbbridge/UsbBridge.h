// Presents the emulators a zelsim serves to the real libusb as USB devices: umockdev builds
// their sysfs entries and device nodes and routes the usbdevfs ioctls on those nodes to the
// bridge, which answers them from zelsim's device model over its sockets. Code under test runs
// with umockdev's preload (this process, see BridgeMain.cpp; children through
// childEnvironment()) and without ZELMOR_SIM, so it uses libusb as for a user.
//
// Threads: construct, sync() and destroy on one thread; the ioctls are answered on umockdev's
// worker thread meanwhile.
#pragma once

#include "GObjectRef.h"
#include "UsbfsDevice.h"

#include <umockdev.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace zel::test::usbbridge {

class UsbBridge {
public:
    // Adds every device the simulator in simDir serves now.
    explicit UsbBridge(std::filesystem::path simDir);
    ~UsbBridge();
    UsbBridge(const UsbBridge&) = delete;
    UsbBridge& operator=(const UsbBridge&) = delete;

    // Follows zelsim: a device whose endpoint went (unplug) is disconnected and removed, with
    // its "remove" uevent; one that came back (replug) is added again under a new address, with
    // its "add" uevent, as the kernel numbers a device that arrives.
    void sync();

    // Opening device `index`'s node fails with EACCES from now on (for this process and the
    // children started with childEnvironment()). The bridge injects it: the tests run as root.
    void denyAccess(int index);
    // "/dev/bus/usb/001/NNN" of device `index` (zelsim's numbering); empty when not attached.
    std::string deviceNode(int index) const;
    // Environment entries for a child that uses the bridge: the preloads, the testbed, the
    // denied nodes, and ZELMOR_SIM removed (empty value).
    std::map<std::string, std::string> childEnvironment() const;
    // Every usbdevfs request the bridge has answered, by name.
    std::set<std::string> requestsSeen() const;

private:
    struct Attached {
        std::string sysPath;
        std::string node;
        std::unique_ptr<UsbfsDevice> device;
    };
    void attach(int index, const std::filesystem::path& endpoint);
    void detach(int index);
    std::string deniedNodes() const;

    std::filesystem::path simDir_;
    GObjectRef<UMockdevTestbed> testbed_;
    std::map<int, Attached> attached_;
    std::set<int> denied_;
    std::set<std::string> retiredRequests_;  // seen by devices since removed
    int nextAddress_ = 2;
};

// The shim that refuses to open denied device nodes, and the preload list it goes first in.
std::string preloadList();

}  // namespace zel::test::usbbridge
