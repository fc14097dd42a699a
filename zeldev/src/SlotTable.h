// The process-wide table of device slots: one per device of the earlier design seen by the
// last enumeration, in enumeration order. The table outlives the library instance, so that
// CloseUSBDevice can still release devices after ExitZeldev.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "device/DeviceFacts.h"
#include "transport/Transport.h"

namespace zel::zeldev {

inline constexpr uint16_t kVendorId = device::kUsbVendorId;
inline constexpr uint16_t kProductId = device::kEarlierUsbProductId;
inline constexpr size_t kSlotCount = 128;

// Pipes of interface 0, sorted by kind; a slot keeps at most two bulk pipes per direction.
struct Pipes {
    std::vector<uint8_t> bulkIn;
    std::vector<uint8_t> bulkOut;
    std::optional<uint8_t> interrupt;
};

Pipes sortPipes(const std::vector<transport::EndpointInfo>& endpoints);

struct Slot {
    std::unique_ptr<transport::DeviceHandle> handle;  // null: not opened
    Pipes pipes;
};

class SlotTable {
public:
    // Releases every slot and the transport that opened them.
    void release();
    // Releases, then lists the present devices and opens what can be opened. Returns the open
    // device count.
    uint32_t fill();

    uint32_t openCount() const { return openCount_; }
    // The slot when it is open (and the table holds any open device), else null.
    Slot* usable(size_t index);

private:
    // Declared before the slots so that handles are destroyed before their transport.
    std::unique_ptr<transport::Transport> transport_;
    std::array<Slot, kSlotCount> slots_;
    uint32_t openCount_ = 0;
};

}  // namespace zel::zeldev
