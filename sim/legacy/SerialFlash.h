// The earlier design's 2 MiB serial flash: read and programmed in 64-byte requests (programming
// clears bits only), erased whole; busy for a while after each program and erase. Its last
// block carries the identity: hardware version at 0x1FFFF1, serial number at 0x1FFFF2..5.
#pragma once

#include "core/FlashIdentity.h"
#include "core/PersistentBuffer.h"
#include "core/SimTime.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <span>

namespace zel::sim {

class SerialFlash {
public:
    static constexpr uint32_t kSize = 2u << 20;
    static constexpr uint32_t kHardwareVersionAt = 0x1FFFF1;
    static constexpr uint32_t kSerialAt = 0x1FFFF2;

    SerialFlash(const std::filesystem::path& storage, const FlashIdentity& identity, const SimTime& time,
                std::chrono::milliseconds eraseTime);

    void read(uint32_t address, std::span<uint8_t> into) const;
    void program(uint32_t address, std::span<const uint8_t> bytes);
    void erase();
    bool busy() const { return time_.now() < readyAt_; }
    uint32_t serial() const;

private:
    PersistentBuffer storage_;
    SimTime time_;
    std::chrono::milliseconds eraseTime_;
    SteadyClock::time_point readyAt_{};
};

}  // namespace zel::sim
