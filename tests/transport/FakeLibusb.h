// A scripted stand-in for libusb: a list of devices with chosen open/claim outcomes, and a
// record of every bulk and control call with the time-out it carried.
#pragma once

#include "transport/LibusbApi.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace zel::transport::test {

struct FakeUsbDevice {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    int openError = LIBUSB_SUCCESS;
    int claimError = LIBUSB_SUCCESS;
    // Interface descriptors of the active configuration (interface number, alternate, endpoints).
    struct Setting {
        uint8_t interfaceNumber = 0;
        uint8_t alternate = 0;
        std::vector<libusb_endpoint_descriptor> endpoints;
    };
    std::vector<Setting> settings;

    int opens = 0;
    int closes = 0;
    int claims = 0;
    int releases = 0;
    int autoDetachCalls = 0;
};

struct BulkCall {
    uint8_t endpoint = 0;
    const unsigned char* data = nullptr;
    int length = 0;
    unsigned int timeoutMs = 0;
};

struct ControlCall {
    uint8_t requestType = 0;
    uint8_t request = 0;
    uint16_t value = 0;
    uint16_t index = 0;
    uint16_t length = 0;
    unsigned int timeoutMs = 0;
};

class FakeLibusb final : public LibusbApi {
public:
    // Decides the outcome of one bulk call: returns the libusb status and sets *transferred.
    // Default: every byte moves.
    using BulkBehaviour = std::function<int(size_t callIndex, const BulkCall& call, int* transferred)>;
    using ControlBehaviour = std::function<int(const ControlCall& call, unsigned char* data)>;

    FakeUsbDevice& addDevice(uint16_t vendorId, uint16_t productId) {
        devices.push_back(std::make_unique<FakeUsbDevice>());
        devices.back()->vendorId = vendorId;
        devices.back()->productId = productId;
        return *devices.back();
    }

    std::vector<std::unique_ptr<FakeUsbDevice>> devices;
    std::vector<BulkCall> bulkCalls;
    std::vector<ControlCall> controlCalls;
    BulkBehaviour bulkBehaviour;
    ControlBehaviour controlBehaviour;
    int initError = LIBUSB_SUCCESS;
    int inits = 0;
    int exits = 0;
    int listsFreed = 0;
    int lastUnrefFlag = -1;
    int configsFreed = 0;

    int init(libusb_context** context) override {
        ++inits;
        *context = reinterpret_cast<libusb_context*>(this);
        return initError;
    }
    void exit(libusb_context*) override { ++exits; }

    ssize_t getDeviceList(libusb_context*, libusb_device*** list) override {
        list_.clear();
        for (auto& device : devices) list_.push_back(asDevice(device.get()));
        list_.push_back(nullptr);
        *list = list_.data();
        return static_cast<ssize_t>(devices.size());
    }
    void freeDeviceList(libusb_device**, int unrefDevices) override {
        ++listsFreed;
        lastUnrefFlag = unrefDevices;
    }
    int getDeviceDescriptor(libusb_device* device, libusb_device_descriptor* descriptor) override {
        *descriptor = {};
        descriptor->idVendor = fake(device)->vendorId;
        descriptor->idProduct = fake(device)->productId;
        return LIBUSB_SUCCESS;
    }
    int getActiveConfigDescriptor(libusb_device* device, libusb_config_descriptor** config) override;
    void freeConfigDescriptor(libusb_config_descriptor*) override { ++configsFreed; }

    int open(libusb_device* device, libusb_device_handle** handle) override {
        auto* d = fake(device);
        if (d->openError != LIBUSB_SUCCESS) return d->openError;
        ++d->opens;
        *handle = reinterpret_cast<libusb_device_handle*>(d);
        return LIBUSB_SUCCESS;
    }
    void close(libusb_device_handle* handle) override { ++fake(handle)->closes; }
    int setAutoDetachKernelDriver(libusb_device_handle* handle, int) override {
        ++fake(handle)->autoDetachCalls;
        return LIBUSB_ERROR_NOT_SUPPORTED;  // as on platforms without kernel drivers to detach
    }
    int claimInterface(libusb_device_handle* handle, int interfaceNumber) override {
        auto* d = fake(handle);
        if (interfaceNumber != 0 || d->claimError != LIBUSB_SUCCESS) return d->claimError;
        ++d->claims;
        return LIBUSB_SUCCESS;
    }
    int releaseInterface(libusb_device_handle* handle, int) override {
        ++fake(handle)->releases;
        return LIBUSB_SUCCESS;
    }

    int bulkTransfer(libusb_device_handle*, unsigned char endpoint, unsigned char* data, int length,
                     int* transferred, unsigned int timeoutMs) override {
        bulkCalls.push_back({endpoint, data, length, timeoutMs});
        *transferred = length;
        if (!bulkBehaviour) return LIBUSB_SUCCESS;
        return bulkBehaviour(bulkCalls.size() - 1, bulkCalls.back(), transferred);
    }
    int controlTransfer(libusb_device_handle*, uint8_t requestType, uint8_t request, uint16_t value, uint16_t index,
                        unsigned char* data, uint16_t length, unsigned int timeoutMs) override {
        controlCalls.push_back({requestType, request, value, index, length, timeoutMs});
        return controlBehaviour ? controlBehaviour(controlCalls.back(), data) : length;
    }

private:
    static libusb_device* asDevice(FakeUsbDevice* d) { return reinterpret_cast<libusb_device*>(d); }
    static FakeUsbDevice* fake(libusb_device* d) { return reinterpret_cast<FakeUsbDevice*>(d); }
    static FakeUsbDevice* fake(libusb_device_handle* h) { return reinterpret_cast<FakeUsbDevice*>(h); }

    std::vector<libusb_device*> list_;
    // Storage behind the descriptors handed out.
    std::vector<std::unique_ptr<libusb_config_descriptor>> configs_;
    std::vector<std::unique_ptr<std::vector<libusb_interface_descriptor>>> settingStore_;
    std::vector<std::unique_ptr<std::vector<libusb_interface>>> interfaceStore_;
};

inline int FakeLibusb::getActiveConfigDescriptor(libusb_device* device, libusb_config_descriptor** config) {
    auto* d = fake(device);
    // One libusb_interface per interface number, holding its alternate settings.
    auto interfaces = std::make_unique<std::vector<libusb_interface>>();
    std::vector<uint8_t> numbers;
    for (auto& s : d->settings) {
        if (std::find(numbers.begin(), numbers.end(), s.interfaceNumber) == numbers.end()) numbers.push_back(s.interfaceNumber);
    }
    for (uint8_t number : numbers) {
        auto alts = std::make_unique<std::vector<libusb_interface_descriptor>>();
        for (auto& s : d->settings) {
            if (s.interfaceNumber != number) continue;
            libusb_interface_descriptor alt{};
            alt.bInterfaceNumber = s.interfaceNumber;
            alt.bAlternateSetting = s.alternate;
            alt.bNumEndpoints = static_cast<uint8_t>(s.endpoints.size());
            alt.endpoint = s.endpoints.data();
            alts->push_back(alt);
        }
        interfaces->push_back({alts->data(), static_cast<int>(alts->size())});
        settingStore_.push_back(std::move(alts));
    }
    auto cfg = std::make_unique<libusb_config_descriptor>();
    *cfg = {};
    cfg->bNumInterfaces = static_cast<uint8_t>(interfaces->size());
    cfg->interface = interfaces->data();
    interfaceStore_.push_back(std::move(interfaces));
    *config = cfg.get();
    configs_.push_back(std::move(cfg));
    return LIBUSB_SUCCESS;
}

}  // namespace zel::transport::test
