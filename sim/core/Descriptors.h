// The USB descriptors a simulated device reports, and its answers to the standard requests on
// the default pipe (descriptors, configuration, status).
#pragma once

#include "core/Transfer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zel::sim {

struct EndpointDescriptor {
    uint8_t address = 0;     // bit 7 set = IN
    uint8_t attributes = 2;  // 2 bulk, 3 interrupt
    uint16_t maxPacketSize = 512;
    uint8_t interval = 0;
};

struct UsbDescriptors {
    std::vector<uint8_t> device;         // 18 bytes
    std::vector<uint8_t> configuration;  // whole configuration (wTotalLength bytes)
    std::string manufacturer;
    std::string product;
};

// One configuration with interface 0 (vendor class) holding the given endpoints.
UsbDescriptors makeDescriptors(uint16_t vendorId, uint16_t productId, std::string manufacturer,
                               std::string product, const std::vector<EndpointDescriptor>& endpoints);

// Answers a standard request; nullopt when the request is not a standard one.
// Unsupported standard requests stall.
std::optional<TransferStatus> answerStandardRequest(const UsbDescriptors& descriptors, const Setup& setup,
                                                    std::vector<uint8_t>& inData);

}  // namespace zel::sim
