#include "DeviceSlots.h"

#include <utility>

namespace zel::devlink {

DeviceSlots::DeviceSlots(TransportFactory makeTransport) : makeTransport_(std::move(makeTransport)) {}

DeviceSlots& DeviceSlots::process() {
    static DeviceSlots slots([] { return transport::makeTransport(); });
    return slots;
}

int DeviceSlots::enumerate() {
    releaseAll();
    currentIndex_ = 0;
    // The transport follows ZELMOR_SIM as it is now: an API reopened after it changed finds the
    // emulators where zeldev, which makes its transport at each enumeration, finds them.
    if (!transport_ || transport::transportSelection() != selection_) {
        transport_.reset();
        selection_ = transport::transportSelection();
        transport_ = makeTransport_();
    }
    if (!transport_) return 0;

    auto entries = transport_->enumerate(kEmulatorVendorId, kEmulatorProductId);
    // Devices beyond the table have no slot index and stay closed.
    if (entries.size() > slots_.size()) entries.resize(slots_.size());
    foundCount_ = static_cast<uint32_t>(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        slots_[i] = std::move(entries[i].handle);
        openProblems_[i] = {entries[i].openProblem, entries[i].location};
        if (slots_[i]) ++openCount_;
    }
    nothingFound_ = entries.empty() ? transport_->nothingFoundReason() : std::string();
    chooseCurrentIndex(entries.size());
    return static_cast<int>(openCount_);
}

// With exactly one emulator opened among several present (others held elsewhere), that one
// becomes the default; otherwise callers pass explicit indices and the default is 0.
void DeviceSlots::chooseCurrentIndex(size_t enumerated) {
    currentIndex_ = 0;
    if (openCount_ != 1 || enumerated <= 1) return;
    for (int i = 0; i < kSlotCount; ++i) {
        if (slots_[i]) {
            currentIndex_ = static_cast<uint8_t>(i);
            return;
        }
    }
}

DeviceSlots::SlotProblem DeviceSlots::problem(int index) const {
    if (index < 0 || index >= kSlotCount) return {transport::Problem::NoDevice, {}};
    const auto slot = static_cast<size_t>(index);
    if (slots_[slot]) return {slots_[slot]->lastProblem(), openProblems_[slot].location};
    if (slot >= foundCount_) return {transport::Problem::NoDevice, {}};
    return openProblems_[slot];
}

void DeviceSlots::releaseAll() {
    for (auto& slot : slots_) slot.reset();
    for (auto& problem : openProblems_) problem = {};
    nothingFound_.clear();
    openCount_ = 0;
    foundCount_ = 0;
}

transport::DeviceHandle* DeviceSlots::device(int index) const {
    if (index < 0 || index >= kSlotCount) return nullptr;
    return slots_[static_cast<size_t>(index)].get();
}

}  // namespace zel::devlink
