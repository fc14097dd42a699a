// The process-wide table of device slots: one slot per emulator seen by the last enumeration,
// indexed by enumeration position. It outlives the library instance (ExitZelmorPro leaves the
// slots open), and the transport behind it lives for the process.
#pragma once

#include "CommandChannel.h"
#include "transport/Transport.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace zel::devlink {

inline constexpr uint16_t kEmulatorVendorId = 0x04B4;
inline constexpr uint16_t kEmulatorProductId = 0x1235;

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

private:
    void chooseCurrentIndex(size_t enumerated);

    TransportFactory makeTransport_;
    std::unique_ptr<transport::Transport> transport_;
    std::array<std::unique_ptr<transport::DeviceHandle>, kSlotCount> slots_;
    uint32_t openCount_ = 0;
    uint32_t foundCount_ = 0;
    uint8_t currentIndex_ = 0;
};

}  // namespace zel::devlink
