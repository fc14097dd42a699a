// The simulator backend: the client side of the zelsim wire protocol (simwire/SimProtocol.h).
// Each "<name>.usb" socket in the folder is one device; enumeration order is name order.
#pragma once

#include "transport/Transport.h"

#include <filesystem>

namespace zel::transport {

class SimTransport final : public Transport {
public:
    explicit SimTransport(std::filesystem::path folder, Timeouts timeouts = {});

    // Describes every device; opens those of the asked identity on the same connection. A
    // device another client holds is listed with a null handle.
    std::vector<DeviceEntry> enumerate(uint16_t vendorId, uint16_t productId) override;
    std::string nothingFoundReason() const override { return nothingFound_; }

private:
    std::string explainEmptyFolder(size_t endpoints, size_t answered) const;

    std::filesystem::path folder_;
    Timeouts timeouts_;
    std::string nothingFound_;
};

}  // namespace zel::transport
