// The libusb backend: devices of the asked VID/PID in libusb's enumeration order, each opened
// and its interface 0 claimed; transfers with per-transfer time-outs, no retries, no halt
// clearing.
#pragma once

#include "transport/LibusbApi.h"
#include "transport/Transport.h"

#include <cstddef>
#include <memory>

namespace zel::transport {

// Linux usbfs limits the memory in flight (16 MiB by default), so a long bulk transfer is
// moved in chunks of at most this size. It is a multiple of 512 (the high-speed bulk packet
// size), so every chunk but the last ends on a packet boundary and the device sees one stream.
inline constexpr size_t kMaxBulkChunk = size_t{4} << 20;
static_assert(kMaxBulkChunk % 512 == 0);

class LibusbSession;

class UsbTransport final : public Transport {
public:
    explicit UsbTransport(std::shared_ptr<LibusbApi> api, Timeouts timeouts = {});
    ~UsbTransport() override;

    std::vector<DeviceEntry> enumerate(uint16_t vendorId, uint16_t productId) override;

private:
    std::shared_ptr<LibusbSession> session();
    std::unique_ptr<DeviceHandle> openDevice(libusb_device* device);

    std::shared_ptr<LibusbApi> api_;
    Timeouts timeouts_;
    std::shared_ptr<LibusbSession> session_;  // created at the first enumeration
};

}  // namespace zel::transport
