// The libusb backend: devices of the asked VID/PID in libusb's enumeration order, each opened
// and its interface 0 claimed; transfers with per-transfer time-outs, no retries, no halt
// clearing.
#pragma once

#include "transport/LibusbApi.h"
#include "transport/Transport.h"

#include <cstddef>
#include <memory>

namespace zel::transport {

class LibusbSession;

class UsbTransport final : public Transport {
public:
    explicit UsbTransport(std::shared_ptr<LibusbApi> api, Timeouts timeouts = {});
    ~UsbTransport() override;

    std::vector<DeviceEntry> enumerate(uint16_t vendorId, uint16_t productId) override;
    std::string nothingFoundReason() const override { return nothingFound_; }

private:
    std::shared_ptr<LibusbSession> session();
    Problem openDevice(libusb_device* device, std::unique_ptr<DeviceHandle>& opened);

    std::shared_ptr<LibusbApi> api_;
    Timeouts timeouts_;
    std::shared_ptr<LibusbSession> session_;  // created at the first enumeration
    std::string nothingFound_;
};

}  // namespace zel::transport
