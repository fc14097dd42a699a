#include "UsbBridge.h"

#include "SimUpstream.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace zel::test::usbbridge {
namespace {

constexpr const char* kDeniedVariable = "ZEL_USB_DENIED";

std::string hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    char digits[3];
    for (auto byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += digits;
    }
    return text;
}

// zelsim's endpoints by device number: "dev03.usb" is device 3.
std::map<int, std::filesystem::path> endpoints(const std::filesystem::path& simDir) {
    std::map<int, std::filesystem::path> found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(simDir, error), end; !error && it != end; it.increment(error)) {
        const auto name = it->path().filename().string();
        int index = -1;
        if (std::sscanf(name.c_str(), "dev%d.usb", &index) == 1 && it->path().extension() == ".usb")
            found[index] = it->path();
    }
    return found;
}

// The device as udev and sysfs show a high-speed device on bus 1: what libusb reads to list
// it (descriptors, bus number, address, configuration, speed).
std::string deviceRecord(const std::string& sysPath, int address, const SimDescriptors& descriptors) {
    char node[32];
    std::snprintf(node, sizeof node, "bus/usb/001/%03d", address);
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, "E: BUSNUM=001\nE: DEVNUM=%03d\nA: busnum=1\\n\nA: devnum=%d\\n\n", address,
                  address);
    auto all = descriptors.device;
    all.insert(all.end(), descriptors.configuration.begin(), descriptors.configuration.end());
    return "P: " + sysPath + "\nN: " + node + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DRIVER=usb\n" +
           "E: DEVNAME=/dev/" + node + "\n" + numbers + "A: bConfigurationValue=1\\n\nA: speed=480\\n\n" +
           "H: descriptors=" + hex(all) + "\n";
}

}  // namespace

std::string preloadList() { return std::string(ZEL_USB_DENIAL_PATH) + ":libumockdev-preload.so.0"; }

UsbBridge::UsbBridge(std::filesystem::path simDir) : simDir_(std::move(simDir)), testbed_(umockdev_testbed_new()) {
    sync();
}

UsbBridge::~UsbBridge() {
    while (!attached_.empty()) detach(attached_.begin()->first);
    ::unsetenv(kDeniedVariable);
}

void UsbBridge::sync() {
    const auto served = endpoints(simDir_);
    std::vector<int> gone;
    for (const auto& [index, device] : attached_)
        if (!served.contains(index)) gone.push_back(index);
    for (int index : gone) detach(index);
    for (const auto& [index, endpoint] : served)
        if (!attached_.contains(index)) attach(index, endpoint);
    if (!denied_.empty()) ::setenv(kDeniedVariable, deniedNodes().c_str(), 1);  // nodes change on replug
}

void UsbBridge::attach(int index, const std::filesystem::path& endpoint) {
    const auto descriptors = SimUpstream::describe(endpoint);
    if (!descriptors) return;  // a stale socket: nobody serves it
    const int address = nextAddress_++;
    Attached entry;
    entry.sysPath = "/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(index + 1);
    char node[32];
    std::snprintf(node, sizeof node, "/dev/bus/usb/001/%03d", address);
    entry.node = node;
    entry.device = std::make_unique<UsbfsDevice>(endpoint);
    // The handler first: the "add" uevent may make a listener open the node at once.
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed_.get(), entry.node.c_str(), entry.device->handler(), &error) ||
        !umockdev_testbed_add_from_string(testbed_.get(), deviceRecord(entry.sysPath, address, *descriptors).c_str(),
                                          &error)) {
        std::string reason = error ? error->message : "unknown";
        g_clear_error(&error);
        throw std::runtime_error("umockdev refused device " + std::to_string(index) + ": " + reason);
    }
    attached_[index] = std::move(entry);
}

void UsbBridge::detach(int index) {
    auto it = attached_.find(index);
    auto& entry = it->second;
    entry.device->disconnect();
    auto seen = entry.device->requestsSeen();
    retiredRequests_.insert(seen.begin(), seen.end());
    const auto sysfsPath = "/sys" + entry.sysPath;
    umockdev_testbed_uevent(testbed_.get(), sysfsPath.c_str(), "remove");
    umockdev_testbed_remove_device(testbed_.get(), sysfsPath.c_str());
    umockdev_testbed_detach_ioctl(testbed_.get(), entry.node.c_str(), nullptr);
    attached_.erase(it);
}

void UsbBridge::denyAccess(int index) {
    denied_.insert(index);
    ::setenv(kDeniedVariable, deniedNodes().c_str(), 1);
}

std::string UsbBridge::deniedNodes() const {
    std::string nodes;
    for (int index : denied_) nodes += deviceNode(index) + ":";
    return nodes;
}

std::string UsbBridge::deviceNode(int index) const {
    auto it = attached_.find(index);
    return it == attached_.end() ? std::string() : it->second.node;
}

std::map<std::string, std::string> UsbBridge::childEnvironment() const {
    char* root = umockdev_testbed_get_root_dir(testbed_.get());
    std::map<std::string, std::string> environment = {
        {"LD_PRELOAD", preloadList()}, {"UMOCKDEV_DIR", root}, {kDeniedVariable, deniedNodes()}, {"ZELMOR_SIM", ""}};
    g_free(root);
    return environment;
}

std::set<std::string> UsbBridge::requestsSeen() const {
    auto seen = retiredRequests_;
    for (const auto& [index, entry] : attached_) {
        auto more = entry.device->requestsSeen();
        seen.insert(more.begin(), more.end());
    }
    return seen;
}

}  // namespace zel::test::usbbridge
