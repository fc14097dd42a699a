#include "ControlEndPoint.h"

namespace zel::zeldev {

transport::SetupPacket CCyControlEndPoint::buildSetup(uint16_t length) const
{
    transport::SetupPacket setup;
    setup.requestType = static_cast<uint8_t>(static_cast<uint8_t>(direction) << 7 |
                                             static_cast<uint8_t>(type) << 5 |
                                             static_cast<uint8_t>(recipient));
    setup.request = request;
    setup.value = value;
    setup.index = index;
    setup.length = length;
    return setup;
}

}  // namespace zel::zeldev
