// The library instance: enumerates the devices of the earlier design into the process-wide
// slot table, keeps the control request builder and the product name of the device in slot 0.
#pragma once

#include <optional>
#include <string>

#include "ControlEndPoint.h"
#include "DeviceLink.h"
#include "SlotTable.h"

namespace zel::zeldev {

class CEmuDevice {
public:
    // Enumerates and reads the device name.
    explicit CEmuDevice(SlotTable& slots);
    virtual ~CEmuDevice() = default;

    CEmuDevice(const CEmuDevice&) = delete;
    CEmuDevice& operator=(const CEmuDevice&) = delete;

    // Opens every present device (slots opened earlier are released first) and reads, without
    // using it, the configuration descriptor of each. Returns the open device count.
    uint32_t enumerate();
    // Product name from string descriptor 2 (language 0x0409) of slot 0; empty when that fails.
    void readName();
    const std::wstring& name() const { return name_; }

    // The device in slot 0 when it is usable.
    std::optional<DeviceLink> link();

private:
    SlotTable& slots_;
    CCyControlEndPoint control_;
    std::wstring name_;
};

}  // namespace zel::zeldev
