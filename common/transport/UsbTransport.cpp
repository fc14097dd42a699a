#include "transport/UsbTransport.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <utility>

namespace zel::transport {

// The libusb context. Open handles keep it alive, so it ends after the last device is closed.
class LibusbSession {
public:
    LibusbSession(std::shared_ptr<LibusbApi> api, libusb_context* context)
        : api_(std::move(api)), context_(context) {}
    ~LibusbSession() { api_->exit(context_); }
    LibusbSession(const LibusbSession&) = delete;
    LibusbSession& operator=(const LibusbSession&) = delete;

    LibusbApi& api() const { return *api_; }
    libusb_context* context() const { return context_; }

private:
    std::shared_ptr<LibusbApi> api_;
    libusb_context* context_;
};

namespace {

constexpr int kInterface = 0;

// libusb reads 0 as "wait for ever"; every transfer here has a bound.
unsigned int toLibusbTimeout(std::chrono::milliseconds timeout) {
    return static_cast<unsigned int>(std::clamp<long long>(timeout.count(), 1, UINT_MAX));
}

Problem problemOf(int libusbError) {
    switch (libusbError) {
    case LIBUSB_SUCCESS: return Problem::None;
    case LIBUSB_ERROR_TIMEOUT: return Problem::Timeout;
    case LIBUSB_ERROR_NO_DEVICE: return Problem::Disconnected;
    case LIBUSB_ERROR_BUSY: return Problem::Busy;
    case LIBUSB_ERROR_ACCESS: return Problem::Permission;
    default: return Problem::DeviceError;
    }
}

std::string deviceNode(LibusbApi& api, libusb_device* device) {
    char node[32];
    std::snprintf(node, sizeof node, "/dev/bus/usb/%03u/%03u", api.getBusNumber(device), api.getDeviceAddress(device));
    return node;
}

// Endpoints of interface 0, alternate setting 0, from the active configuration.
std::vector<EndpointInfo> readInterfaceEndpoints(LibusbApi& api, libusb_device* device) {
    std::vector<EndpointInfo> endpoints;
    libusb_config_descriptor* config = nullptr;
    if (api.getActiveConfigDescriptor(device, &config) != LIBUSB_SUCCESS || config == nullptr) return endpoints;
    for (int i = 0; i < config->bNumInterfaces; ++i) {
        const libusb_interface& interface = config->interface[i];
        for (int alt = 0; alt < interface.num_altsetting; ++alt) {
            const libusb_interface_descriptor& setting = interface.altsetting[alt];
            if (setting.bInterfaceNumber != kInterface || setting.bAlternateSetting != 0) continue;
            for (int e = 0; e < setting.bNumEndpoints; ++e) {
                const libusb_endpoint_descriptor& ep = setting.endpoint[e];
                endpoints.push_back({ep.bEndpointAddress, static_cast<EndpointType>(ep.bmAttributes & 0x03),
                                     ep.wMaxPacketSize});
            }
        }
    }
    api.freeConfigDescriptor(config);
    return endpoints;
}

class UsbDeviceHandle final : public DeviceHandle {
public:
    UsbDeviceHandle(std::shared_ptr<LibusbSession> session, libusb_device_handle* handle, Timeouts timeouts,
                    std::vector<EndpointInfo> endpoints)
        : session_(std::move(session)), handle_(handle), timeouts_(timeouts), endpoints_(std::move(endpoints)) {}

    ~UsbDeviceHandle() override {
        api().releaseInterface(handle_, kInterface);
        api().close(handle_);
    }
    UsbDeviceHandle(const UsbDeviceHandle&) = delete;
    UsbDeviceHandle& operator=(const UsbDeviceHandle&) = delete;

    TransferResult bulkOut(uint8_t endpoint, std::span<const uint8_t> data) override {
        if (data.empty()) {
            // An explicit zero-length packet: the device may be waiting for it to end a phase.
            unsigned char none = 0;
            int moved = 0;
            int rc = api().bulkTransfer(handle_, endpoint, &none, 0, &moved, bulkTimeout());
            return noted(rc, {rc == LIBUSB_SUCCESS, 0});
        }
        TransferResult result{true, 0};
        while (result.transferred < data.size()) {
            auto chunk = nextChunk(data.size() - result.transferred);
            int moved = 0;
            // libusb takes a non-const buffer for both directions; it does not write to OUT data.
            auto* bytes = const_cast<unsigned char*>(data.data() + result.transferred);
            int rc = api().bulkTransfer(handle_, endpoint, bytes, chunk, &moved, bulkTimeout());
            result.transferred += static_cast<size_t>(std::max(moved, 0));
            if (rc != LIBUSB_SUCCESS || moved != chunk) return noted(rc, {false, result.transferred});
        }
        return result;
    }

    TransferResult bulkIn(uint8_t endpoint, std::span<uint8_t> data) override {
        TransferResult result{true, 0};
        while (result.transferred < data.size()) {
            auto chunk = nextChunk(data.size() - result.transferred);
            int moved = 0;
            int rc = api().bulkTransfer(handle_, endpoint, data.data() + result.transferred, chunk, &moved,
                                        bulkTimeout());
            result.transferred += static_cast<size_t>(std::max(moved, 0));
            if (rc != LIBUSB_SUCCESS) return noted(rc, {false, result.transferred});
            if (moved < chunk) break;  // a short packet ends the device's data
        }
        return result;
    }

    TransferResult control(const SetupPacket& setup, std::span<uint8_t> data) override {
        if (data.size() < setup.length) return {false, 0};
        int rc = api().controlTransfer(handle_, setup.requestType, setup.request, setup.value, setup.index,
                                       data.data(), setup.length, toLibusbTimeout(timeouts_.control));
        if (rc < 0) return noted(rc, {false, 0});
        return {true, static_cast<size_t>(rc)};
    }

    std::vector<EndpointInfo> interfaceEndpoints() const override { return endpoints_; }
    Problem lastProblem() const override { return lastProblem_; }

private:
    // A failure with libusb's success code is a short transfer: the device's fault.
    TransferResult noted(int rc, TransferResult result) {
        if (!result.ok) lastProblem_ = rc == LIBUSB_SUCCESS ? Problem::DeviceError : problemOf(rc);
        return result;
    }

    LibusbApi& api() const { return session_->api(); }
    unsigned int bulkTimeout() const { return toLibusbTimeout(timeouts_.bulk); }
    static int nextChunk(size_t left) { return static_cast<int>(std::min(left, kMaxBulkChunk)); }

    std::shared_ptr<LibusbSession> session_;
    libusb_device_handle* handle_;
    Timeouts timeouts_;
    std::vector<EndpointInfo> endpoints_;
    Problem lastProblem_ = Problem::None;
};

// Owns the list returned by getDeviceList for the duration of one enumeration.
class DeviceList {
public:
    explicit DeviceList(LibusbSession& session) : api_(session.api()) {
        ssize_t n = api_.getDeviceList(session.context(), &list_);
        count_ = n > 0 ? static_cast<size_t>(n) : 0;
    }
    ~DeviceList() {
        if (list_ != nullptr) api_.freeDeviceList(list_, 1);
    }
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;

    std::span<libusb_device* const> devices() const {
        return list_ ? std::span<libusb_device* const>(list_, count_) : std::span<libusb_device* const>();
    }

private:
    LibusbApi& api_;
    libusb_device** list_ = nullptr;
    size_t count_ = 0;
};

}  // namespace

UsbTransport::UsbTransport(std::shared_ptr<LibusbApi> api, Timeouts timeouts)
    : api_(std::move(api)), timeouts_(timeouts) {}

UsbTransport::~UsbTransport() = default;

std::shared_ptr<LibusbSession> UsbTransport::session() {
    if (!session_) {
        // A failed init is tried again at the next enumeration.
        libusb_context* context = nullptr;
        if (api_->init(&context) == LIBUSB_SUCCESS) session_ = std::make_shared<LibusbSession>(api_, context);
    }
    return session_;
}

std::vector<DeviceEntry> UsbTransport::enumerate(uint16_t vendorId, uint16_t productId) {
    std::vector<DeviceEntry> entries;
    auto libusb = session();
    if (!libusb) {
        nothingFound_ = "libusb could not be started, so no USB device can be listed";
        return entries;
    }
    DeviceList list(*libusb);
    for (libusb_device* device : list.devices()) {
        libusb_device_descriptor descriptor{};
        if (api_->getDeviceDescriptor(device, &descriptor) != LIBUSB_SUCCESS) continue;
        if (descriptor.idVendor != vendorId || descriptor.idProduct != productId) continue;
        DeviceEntry entry{vendorId, productId, nullptr};
        entry.location = deviceNode(*api_, device);
        entry.openProblem = openDevice(device, entry.handle);
        entries.push_back(std::move(entry));
    }
    char identity[64];
    std::snprintf(identity, sizeof identity, "no USB device %04x:%04x is attached", vendorId, productId);
    nothingFound_ = entries.empty() ? std::string(identity) + " (ZELMOR_SIM is not set, so the simulator is not asked)"
                                    : std::string();
    return entries;
}

// Any failure to open or claim (busy, no access, gone) leaves the device listed but unopened.
Problem UsbTransport::openDevice(libusb_device* device, std::unique_ptr<DeviceHandle>& opened) {
    libusb_device_handle* handle = nullptr;
    const int rc = api_->open(device, &handle);
    if (rc != LIBUSB_SUCCESS || handle == nullptr) return rc == LIBUSB_SUCCESS ? Problem::DeviceError : problemOf(rc);
    // Not every platform can detach a kernel driver; the claim below decides.
    api_->setAutoDetachKernelDriver(handle, 1);
    if (const int claim = api_->claimInterface(handle, kInterface); claim != LIBUSB_SUCCESS) {
        api_->close(handle);
        return problemOf(claim);
    }
    opened = std::make_unique<UsbDeviceHandle>(session_, handle, timeouts_, readInterfaceEndpoints(*api_, device));
    return Problem::None;
}

}  // namespace zel::transport
