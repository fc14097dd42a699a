// The identity a simulated device carries in its flash, as the command line gives it.
#pragma once

#include "core/DeviceProfile.h"

#include <cstdint>

namespace zel::sim {

struct FlashIdentity {
    uint8_t hardwareVersion = 1;
    uint32_t serial = 0;
    bool blank = false;    // identity left erased
    bool rewrite = false;  // set it even on a flash kept from an earlier run

    static FlashIdentity of(const DeviceProfile& profile) {
        return {profile.hardwareVersion, profile.serial, profile.blankIdentity, profile.identityGiven};
    }
};

}  // namespace zel::sim
