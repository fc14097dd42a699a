// The process-wide table of device slots: one slot per emulator seen by the last enumeration,
// indexed by enumeration position. It outlives the library instance (ExitZelmorPro leaves the
// slots open); the transport behind it is made again only when ZELMOR_SIM has changed.
#pragma once

#include "CommandChannel.h"
#include "device/DeviceFacts.h"
#include "transport/Transport.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zel::devlink {

inline constexpr uint16_t kEmulatorVendorId = device::kUsbVendorId;
inline constexpr uint16_t kEmulatorProductId = device::kUsbProductId;

class DeviceSlots {
public:
    static constexpr int kSlotCount = 128;
    using TransportFactory = std::function<std::unique_ptr<transport::Transport>()>;

    explicit DeviceSlots(TransportFactory makeTransport);

    // The table the exports use; its transport is made at the first enumeration.
    static DeviceSlots& process();

    // Releases every slot, then lists and opens the emulators and chooses the current device.
    // Returns the open device count.
    int enumerate();
    // Closes every slot; the current index stays.
    void releaseAll();

    // The open device of a slot; null for an index outside the table or a slot not open.
    transport::DeviceHandle* device(int index) const;
    CommandChannel channel(int index) const { return CommandChannel(device(index)); }

    uint32_t openCount() const { return openCount_; }
    // Every emulator the last enumeration found, opened or not (held elsewhere, no access).
    uint32_t foundCount() const { return foundCount_; }
    uint8_t currentIndex() const { return currentIndex_; }

    // Why a slot cannot be used: why the device was not opened, or how the last failed transfer
    // of an open one failed. location names the device node or endpoint.
    struct SlotProblem {
        transport::Problem problem = transport::Problem::None;
        std::string location;
    };
    SlotProblem problem(int index) const;
    // After an enumeration that found no emulator: why, in one line.
    const std::string& nothingFoundReason() const { return nothingFound_; }

private:
    void chooseCurrentIndex(size_t enumerated);

    TransportFactory makeTransport_;
    std::unique_ptr<transport::Transport> transport_;
    std::string selection_;  // the transport choice transport_ was made for
    std::array<std::unique_ptr<transport::DeviceHandle>, kSlotCount> slots_;
    std::array<SlotProblem, kSlotCount> openProblems_;
    std::string nothingFound_;
    uint32_t openCount_ = 0;
    uint32_t foundCount_ = 0;
    uint8_t currentIndex_ = 0;
};

}  // namespace zel::devlink
