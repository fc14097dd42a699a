// The few libusb calls the USB backend makes, behind an interface so that enumeration, the
// open/claim rules and the splitting of long transfers can be tested without hardware.
// Each method has the meaning and return convention of the libusb function it is named after.
#pragma once

#include <libusb.h>

#include <memory>

namespace zel::transport {

class LibusbApi {
public:
    virtual ~LibusbApi() = default;

    virtual int init(libusb_context** context) = 0;
    virtual void exit(libusb_context* context) = 0;

    virtual ssize_t getDeviceList(libusb_context* context, libusb_device*** list) = 0;
    virtual void freeDeviceList(libusb_device** list, int unrefDevices) = 0;
    virtual int getDeviceDescriptor(libusb_device* device, libusb_device_descriptor* descriptor) = 0;
    virtual int getActiveConfigDescriptor(libusb_device* device, libusb_config_descriptor** config) = 0;
    virtual void freeConfigDescriptor(libusb_config_descriptor* config) = 0;

    // Where the device sits, for messages (its node is /dev/bus/usb/BUS/ADDRESS); 0 when unknown.
    virtual uint8_t getBusNumber(libusb_device* device) { return 0; }
    virtual uint8_t getDeviceAddress(libusb_device* device) { return 0; }

    virtual int open(libusb_device* device, libusb_device_handle** handle) = 0;
    virtual void close(libusb_device_handle* handle) = 0;
    virtual int setAutoDetachKernelDriver(libusb_device_handle* handle, int enable) = 0;
    virtual int claimInterface(libusb_device_handle* handle, int interfaceNumber) = 0;
    virtual int releaseInterface(libusb_device_handle* handle, int interfaceNumber) = 0;

    virtual int bulkTransfer(libusb_device_handle* handle, unsigned char endpoint, unsigned char* data,
                             int length, int* transferred, unsigned int timeoutMs) = 0;
    // Returns the number of bytes moved, or a negative libusb error.
    virtual int controlTransfer(libusb_device_handle* handle, uint8_t requestType, uint8_t request,
                                uint16_t value, uint16_t index, unsigned char* data, uint16_t length,
                                unsigned int timeoutMs) = 0;
};

// The implementation that forwards to libusb itself.
std::shared_ptr<LibusbApi> makeSystemLibusbApi();

}  // namespace zel::transport
