#include "transport/LibusbApi.h"

namespace zel::transport {
namespace {

class SystemLibusbApi final : public LibusbApi {
public:
    int init(libusb_context** context) override { return libusb_init(context); }
    void exit(libusb_context* context) override { libusb_exit(context); }

    ssize_t getDeviceList(libusb_context* context, libusb_device*** list) override {
        return libusb_get_device_list(context, list);
    }
    void freeDeviceList(libusb_device** list, int unrefDevices) override {
        libusb_free_device_list(list, unrefDevices);
    }
    int getDeviceDescriptor(libusb_device* device, libusb_device_descriptor* descriptor) override {
        return libusb_get_device_descriptor(device, descriptor);
    }
    int getActiveConfigDescriptor(libusb_device* device, libusb_config_descriptor** config) override {
        return libusb_get_active_config_descriptor(device, config);
    }
    void freeConfigDescriptor(libusb_config_descriptor* config) override { libusb_free_config_descriptor(config); }

    uint8_t getBusNumber(libusb_device* device) override { return libusb_get_bus_number(device); }
    uint8_t getDeviceAddress(libusb_device* device) override { return libusb_get_device_address(device); }

    int open(libusb_device* device, libusb_device_handle** handle) override { return libusb_open(device, handle); }
    void close(libusb_device_handle* handle) override { libusb_close(handle); }
    int setAutoDetachKernelDriver(libusb_device_handle* handle, int enable) override {
        return libusb_set_auto_detach_kernel_driver(handle, enable);
    }
    int claimInterface(libusb_device_handle* handle, int interfaceNumber) override {
        return libusb_claim_interface(handle, interfaceNumber);
    }
    int releaseInterface(libusb_device_handle* handle, int interfaceNumber) override {
        return libusb_release_interface(handle, interfaceNumber);
    }

    int bulkTransfer(libusb_device_handle* handle, unsigned char endpoint, unsigned char* data, int length,
                     int* transferred, unsigned int timeoutMs) override {
        return libusb_bulk_transfer(handle, endpoint, data, length, transferred, timeoutMs);
    }
    int controlTransfer(libusb_device_handle* handle, uint8_t requestType, uint8_t request, uint16_t value,
                        uint16_t index, unsigned char* data, uint16_t length, unsigned int timeoutMs) override {
        return libusb_control_transfer(handle, requestType, request, value, index, data, length, timeoutMs);
    }
};

}  // namespace

std::shared_ptr<LibusbApi> makeSystemLibusbApi() { return std::make_shared<SystemLibusbApi>(); }

}  // namespace zel::transport
