#include "target/TargetBus.h"

#include <algorithm>
#include <stdexcept>

namespace zel::sim::target {
namespace {

// The bus bytes of a transaction in order, as far as the trace keeps them.
std::vector<uint8_t> recordedBytes(std::span<const uint8_t> mosi, std::span<const uint8_t> miso) {
    const size_t fromMosi = std::min(mosi.size(), TraceStore::kMaxRecordedBytes);
    const size_t fromMiso = std::min(miso.size(), TraceStore::kMaxRecordedBytes - fromMosi);
    std::vector<uint8_t> bytes(mosi.begin(), mosi.begin() + static_cast<std::ptrdiff_t>(fromMosi));
    bytes.insert(bytes.end(), miso.begin(), miso.begin() + static_cast<std::ptrdiff_t>(fromMiso));
    return bytes;
}

}  // namespace

TargetBus::TargetBus(FpgaRegisters& registers, EmulationMemory& memory, const ChipTables& tables,
                     const LevelChannels& levels, size_t traceCapacity)
    : registers_(registers), memory_(memory), tables_(tables), levels_(levels), trace_(traceCapacity) {}

bool TargetBus::chipPresent(unsigned slot) const {
    if (slot > 1) throw std::out_of_range("chip slot 0 or 1");
    const auto& levels = levels_.values();
    const auto supply = levels.find(kSupplyChannel);
    return registers_.running() && supply != levels.end() && supply->second != 0 &&
           ChipIdentity::read(registers_, slot).loaded();
}

std::vector<uint8_t> TargetBus::transact(unsigned slot, std::span<const uint8_t> mosi, size_t readLength) {
    if (slot > 1) throw std::out_of_range("chip slot 0 or 1");
    showBusState(false);
    std::vector<uint8_t> miso;
    if (chipPresent(slot)) {
        const auto identity = ChipIdentity::read(registers_, slot);
        std::optional<std::vector<uint8_t>> terminal;
        if (terminal_) terminal = terminal_->transact(mosi, readLength, chips_[slot].fourByteMode());
        miso = terminal ? std::move(*terminal)
                        : chips_[slot].transact({identity, SlotMemory(memory_, slot), tables_.sfdp(slot)}, mosi, readLength);
    } else {
        // No chip drives MISO; the chip powers up afresh once it is there again.
        chips_[slot].powerDown();
        miso.assign(readLength, 0xFF);
    }
    trace_.record(ticksNow(), recordedBytes(mosi, miso));
    showBusState(true, mosi.empty() ? std::nullopt : std::optional<uint8_t>(mosi[0]));
    return miso;
}

void TargetBus::holdBusy(bool busy) {
    heldBusy_ = busy;
    showBusState(true);
}

void TargetBus::showBusState(bool idle, std::optional<uint8_t> lastCommand) {
    uint16_t value = registers_.read(FpgaRegisters::kSpiStatus);
    value = static_cast<uint16_t>(value & ~FpgaRegisters::kSpiBusIdle);
    if (idle && !heldBusy_) value |= FpgaRegisters::kSpiBusIdle;
    if (lastCommand) value = static_cast<uint16_t>((value & ~kLastCommandMask) | *lastCommand);
    registers_.write(FpgaRegisters::kSpiStatus, value);
}

void TargetBus::fpgaReloaded() {
    for (auto& chip : chips_) chip.powerDown();
    showBusState(true);
}

void TargetBus::powerCycle() {
    fpgaReloaded();
    trace_.clear();
    poweredAt_ = std::chrono::steady_clock::now();
}

uint64_t TargetBus::ticksNow() const {
    const auto elapsed = std::chrono::steady_clock::now() - poweredAt_;
    // 10 ns ticks in 48 bits
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count() / 10) &
           ((uint64_t{1} << 48) - 1);
}

}  // namespace zel::sim::target
