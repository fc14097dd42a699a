// The control request builder of the library instance: the fields of one control request,
// turned into a SETUP packet. The fields are shared scratch state of the instance, which is
// why requests must come from one thread at a time.
#pragma once

#include <cstdint>

#include "transport/Transport.h"

namespace zel::zeldev {

enum class Recipient : uint8_t { Device = 0, Endpoint = 2 };
enum class RequestType : uint8_t { Standard = 0, Vendor = 2 };
enum class Direction : uint8_t { Out = 0, In = 1 };

class CCyControlEndPoint {
public:
    virtual ~CCyControlEndPoint() = default;

    Recipient recipient = Recipient::Device;
    RequestType type = RequestType::Vendor;
    Direction direction = Direction::In;
    uint8_t request = 0;
    uint16_t value = 0;
    uint16_t index = 0;

    // bmRequestType = direction << 7 | type << 5 | recipient.
    virtual transport::SetupPacket buildSetup(uint16_t length) const;
};

}  // namespace zel::zeldev
