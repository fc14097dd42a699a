#include "legacy/SerialFlash.h"

#include <algorithm>

namespace zel::sim {
namespace {

constexpr std::chrono::milliseconds kProgramTime{2};
constexpr uint32_t kPageSize = 256;

}  // namespace

SerialFlash::SerialFlash(const std::filesystem::path& storage, const FlashIdentity& identity, const SimTime& time,
                         std::chrono::milliseconds eraseTime)
    : storage_(storage, kSize, [](std::span<uint8_t> bytes) { std::ranges::fill(bytes, 0xFF); }),
      time_(time), eraseTime_(eraseTime) {
    if (storage_.restored() && !identity.rewrite) return;
    auto bytes = storage_.bytes();
    const uint8_t fill = identity.blank ? 0xFF : 0;
    bytes[kHardwareVersionAt] = identity.blank ? fill : identity.hardwareVersion;
    for (int i = 0; i < 4; ++i)
        bytes[kSerialAt + i] = identity.blank ? fill : static_cast<uint8_t>(identity.serial >> (8 * i));
}

void SerialFlash::read(uint32_t address, std::span<uint8_t> into) const {
    auto bytes = storage_.bytes();
    for (size_t i = 0; i < into.size(); ++i) into[i] = bytes[(address + i) % kSize];
}

void SerialFlash::program(uint32_t address, std::span<const uint8_t> data) {
    auto bytes = storage_.bytes();
    const uint32_t page = (address % kSize) & ~(kPageSize - 1);
    for (size_t i = 0; i < data.size(); ++i) bytes[page + (address + i) % kPageSize] &= data[i];
    readyAt_ = time_.now() + time_.scaled(kProgramTime);
}

void SerialFlash::erase() {
    std::ranges::fill(storage_.bytes(), 0xFF);
    readyAt_ = time_.now() + time_.scaled(eraseTime_);
}

uint32_t SerialFlash::serial() const {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | storage_.bytes()[kSerialAt + i];
    return value;
}

}  // namespace zel::sim
