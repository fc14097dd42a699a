#include "UsbfsDevice.h"

#include "UsbSession.h"

#include <linux/ioctl.h>
#include <linux/usbdevice_fs.h>

#include <cerrno>
#include <cstdio>

namespace zel::test::usbbridge {
namespace {

using namespace std::chrono_literals;

// What an xHCI host on a current kernel reports: one URB per libusb transfer of any length.
constexpr uint32_t kCapabilities = USBDEVFS_CAP_ZERO_PACKET | USBDEVFS_CAP_BULK_CONTINUATION |
                                   USBDEVFS_CAP_NO_PACKET_SIZE_LIM | USBDEVFS_CAP_BULK_SCATTER_GATHER |
                                   USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
constexpr int kHighSpeed = 3;  // enum usb_device_speed
// A reap with nothing to hand out waits this long for a URB before EAGAIN, so that libusb's
// event loop (the node polls ready at once, being a plain file) does not spin.
constexpr auto kReapWait = 2ms;

std::string requestName(unsigned long request) {
    switch (request) {
    case USBDEVFS_GET_CAPABILITIES: return "GET_CAPABILITIES";
    case USBDEVFS_CLAIMINTERFACE: return "CLAIMINTERFACE";
    case USBDEVFS_DISCONNECT_CLAIM: return "DISCONNECT_CLAIM";
    case USBDEVFS_RELEASEINTERFACE: return "RELEASEINTERFACE";
    case USBDEVFS_SUBMITURB: return "SUBMITURB";
    case USBDEVFS_REAPURB: return "REAPURB";
    case USBDEVFS_REAPURBNDELAY: return "REAPURBNDELAY";
    case USBDEVFS_DISCARDURB: return "DISCARDURB";
    case USBDEVFS_GETDRIVER: return "GETDRIVER";
    case USBDEVFS_IOCTL: return "IOCTL";
    case USBDEVFS_RESET: return "RESET";
    case USBDEVFS_CLEAR_HALT: return "CLEAR_HALT";
    case USBDEVFS_RESETEP: return "RESETEP";
    case USBDEVFS_SETINTERFACE: return "SETINTERFACE";
    case USBDEVFS_SETCONFIGURATION: return "SETCONFIGURATION";
    case USBDEVFS_GET_SPEED: return "GET_SPEED";
    }
    char text[32];
    std::snprintf(text, sizeof text, "unknown 0x%lx", request);
    return text;
}

GObjectRef<UMockdevIoctlData> resolve(UMockdevIoctlData* data, size_t offset, size_t length) {
    return GObjectRef<UMockdevIoctlData>(umockdev_ioctl_data_resolve(data, offset, length, nullptr));
}

void complete(UMockdevIoctlClient* client, int error) {
    umockdev_ioctl_client_complete(client, error == 0 ? 0 : -1, error);
}

}  // namespace

UsbfsDevice::UsbfsDevice(std::filesystem::path endpoint)
    : endpoint_(std::move(endpoint)), handler_(umockdev_ioctl_base_new()) {
    g_signal_connect(handler_.get(), "handle-ioctl", G_CALLBACK(onIoctl), this);
    g_signal_connect(handler_.get(), "client-vanished", G_CALLBACK(onClientVanished), this);
}

UsbfsDevice::~UsbfsDevice() {
    g_signal_handlers_disconnect_by_data(handler_.get(), this);
    std::lock_guard lock(mutex_);
    sessions_.clear();
}

void UsbfsDevice::disconnect() {
    std::lock_guard lock(mutex_);
    disconnected_ = true;
    for (auto& [client, session] : sessions_) session->disconnect();
}

std::set<std::string> UsbfsDevice::requestsSeen() const {
    std::lock_guard lock(mutex_);
    return seen_;
}

gboolean UsbfsDevice::onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    static_cast<UsbfsDevice*>(self)->handle(client);
    return TRUE;
}

// Closing the node releases its claim, as the kernel does.
void UsbfsDevice::onClientVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    auto& device = *static_cast<UsbfsDevice*>(self);
    std::unique_ptr<UsbSession> ended;
    {
        std::lock_guard lock(device.mutex_);
        if (auto it = device.sessions_.find(client); it != device.sessions_.end()) {
            ended = std::move(it->second);
            device.sessions_.erase(it);
        }
    }
}

UsbSession* UsbfsDevice::sessionOf(UMockdevIoctlClient* client) {
    auto it = sessions_.find(client);
    return it == sessions_.end() ? nullptr : it->second.get();
}

void UsbfsDevice::handle(UMockdevIoctlClient* client) {
    const auto request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    {
        std::lock_guard lock(mutex_);
        seen_.insert(requestName(request));
    }
    switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
        auto caps = resolve(arg, 0, sizeof(uint32_t));
        *reinterpret_cast<uint32_t*>(caps->data) = kCapabilities;
        return complete(client, 0);
    }
    case USBDEVFS_CLAIMINTERFACE:
    case USBDEVFS_DISCONNECT_CLAIM: return complete(client, claim(client));
    case USBDEVFS_RELEASEINTERFACE: {
        std::unique_ptr<UsbSession> released;
        std::lock_guard lock(mutex_);
        if (auto it = sessions_.find(client); it != sessions_.end()) {
            released = std::move(it->second);
            sessions_.erase(it);
        }
        return complete(client, released ? 0 : EINVAL);
    }
    case USBDEVFS_SUBMITURB: return submit(client);
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY: return reap(client);
    case USBDEVFS_DISCARDURB: return discard(client);
    case USBDEVFS_GETDRIVER: return complete(client, ENODATA);  // no kernel driver is bound
    case USBDEVFS_IOCTL: return driverRequest(client);
    case USBDEVFS_RESET: {
        std::lock_guard lock(mutex_);
        if (auto* session = sessionOf(client)) session->reset();
        return complete(client, disconnected_ ? ENODEV : 0);
    }
    case USBDEVFS_CLEAR_HALT:  // zelsim keeps no halt state
    case USBDEVFS_RESETEP:
    case USBDEVFS_SETINTERFACE:
    case USBDEVFS_SETCONFIGURATION: {
        std::lock_guard lock(mutex_);
        return complete(client, disconnected_ ? ENODEV : 0);
    }
    case USBDEVFS_GET_SPEED: return umockdev_ioctl_client_complete(client, kHighSpeed, 0);
    }
    complete(client, ENOTTY);
}

int UsbfsDevice::claim(UMockdevIoctlClient* client) {
    {
        std::lock_guard lock(mutex_);
        if (disconnected_) return ENODEV;
        if (sessionOf(client)) return 0;
    }
    auto [outcome, link] = SimUpstream::open(endpoint_);
    if (outcome == Outcome::Busy) return EBUSY;  // another process holds the device
    if (!link) return ENODEV;
    std::lock_guard lock(mutex_);
    sessions_[client] = std::make_unique<UsbSession>(endpoint_, std::move(link));
    return 0;
}

void UsbfsDevice::submit(UMockdevIoctlClient* client) {
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    auto urb = std::make_unique<Urb>();
    urb->record = resolve(arg, 0, sizeof(usbdevfs_urb));
    if (!urb->record) return complete(client, EFAULT);
    const auto& fields = *reinterpret_cast<usbdevfs_urb*>(urb->record->data);
    if (fields.buffer_length < 0) return complete(client, EINVAL);
    if (fields.buffer_length > 0) {
        urb->buffer = resolve(urb->record.get(), offsetof(usbdevfs_urb, buffer), static_cast<size_t>(fields.buffer_length));
        if (!urb->buffer) return complete(client, EFAULT);
    }
    // A URB on an interface that was not claimed claims it, as usbfs does.
    if (const int error = claim(client); error != 0) return complete(client, error);
    std::lock_guard lock(mutex_);
    auto* session = sessionOf(client);
    complete(client, session && session->submit(std::move(urb)) ? 0 : ENODEV);
}

void UsbfsDevice::reap(UMockdevIoctlClient* client) {
    UsbSession* session = nullptr;
    {
        std::lock_guard lock(mutex_);
        session = sessionOf(client);
        if (!session) return complete(client, disconnected_ ? ENODEV : EAGAIN);
    }
    // The session lives until this client releases or closes, which it cannot do while this
    // call is in progress.
    auto urb = session->reap(kReapWait);
    if (!urb) return complete(client, session->finished() ? ENODEV : EAGAIN);
    auto pointer = resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(void*));
    umockdev_ioctl_data_set_ptr(pointer.get(), 0, urb->record.get());
    complete(client, 0);
}

void UsbfsDevice::discard(UMockdevIoctlClient* client) {
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    const auto address = *reinterpret_cast<unsigned long*>(arg->data);  // the URB's own address
    std::lock_guard lock(mutex_);
    auto* session = sessionOf(client);
    complete(client, session && session->discard(address) ? 0 : EINVAL);
}

// Detaching and re-attaching kernel drivers: none is ever bound to the emulator.
void UsbfsDevice::driverRequest(UMockdevIoctlClient* client) {
    auto command = resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(usbdevfs_ioctl));
    if (!command) return complete(client, EFAULT);
    const auto code = reinterpret_cast<usbdevfs_ioctl*>(command->data)->ioctl_code;
    if (code == USBDEVFS_DISCONNECT) return complete(client, ENODATA);
    complete(client, code == USBDEVFS_CONNECT ? 0 : ENOTTY);
}

}  // namespace zel::test::usbbridge
