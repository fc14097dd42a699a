// The polling source's view of the bus through libusb.
#include "presence/UsbDeviceLister.h"

#include <libusb.h>

namespace zel::session::presence {
namespace {

class LibusbDeviceLister final : public UsbDeviceLister {
public:
    LibusbDeviceLister()
    {
        if (libusb_init(&context_) != LIBUSB_SUCCESS)
            context_ = nullptr;
    }
    ~LibusbDeviceLister() override
    {
        if (context_ != nullptr)
            libusb_exit(context_);
    }
    LibusbDeviceLister(const LibusbDeviceLister&) = delete;
    LibusbDeviceLister& operator=(const LibusbDeviceLister&) = delete;

    std::optional<std::vector<UsbDeviceAddress>> list() override
    {
        if (context_ == nullptr)
            return std::nullopt;
        libusb_device** devices = nullptr;
        const ssize_t count = libusb_get_device_list(context_, &devices);
        if (count < 0)
            return std::nullopt;
        std::vector<UsbDeviceAddress> found;
        for (ssize_t i = 0; i < count; ++i) {
            libusb_device_descriptor descriptor{};
            if (libusb_get_device_descriptor(devices[i], &descriptor) != LIBUSB_SUCCESS)
                continue;
            found.push_back({descriptor.idVendor, descriptor.idProduct, libusb_get_bus_number(devices[i]),
                             libusb_get_device_address(devices[i])});
        }
        libusb_free_device_list(devices, 1);
        return found;
    }

private:
    libusb_context* context_ = nullptr;
};

}  // namespace

std::unique_ptr<UsbDeviceLister> makeLibusbDeviceLister()
{
    return std::make_unique<LibusbDeviceLister>();
}

}  // namespace zel::session::presence
