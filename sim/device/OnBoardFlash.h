// The emulator's 2 MiB on-board serial flash (FPGA bitstreams, MCU program, identity page):
// 256-byte pages that programming can only clear bits of, 64 KiB sectors, a whole-chip erase
// that stays busy for a while. Kept in a file of the simulator's folder across restarts.
#pragma once

#include "core/Findings.h"
#include "core/FlashIdentity.h"
#include "core/PersistentBuffer.h"
#include "core/SimTime.h"
#include "device/CommandTable.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <span>

namespace zel::sim {

class OnBoardFlash {
public:
    static constexpr uint32_t kSize = 2u << 20;
    static constexpr uint32_t kPageSize = 256;
    static constexpr uint32_t kSectorSize = 64u << 10;
    static constexpr uint32_t kIdentityPage = 0x1FFF00;

    OnBoardFlash(const std::filesystem::path& storage, uint32_t jedecId, const FlashIdentity& identity,
                 const SimTime& time, std::chrono::milliseconds chipEraseTime, Findings& findings);

    // Reads wrap at the end of the flash.
    void read(uint32_t address, std::span<uint8_t> into) const;
    // Programs within the page of `address` (wrapping inside it, as flash chips do).
    void program(uint32_t address, std::span<const uint8_t> bytes);
    void eraseSector(uint32_t address);
    void startChipErase();
    bool eraseBusy() const { return time_.now() < eraseDone_; }
    uint32_t jedecId() const { return jedecId_; }
    bool prepared() const { return prepared_; }
    uint8_t hardwareVersion() const;
    uint32_t serial() const;

    void install(CommandTable& table);

private:
    void writeIdentity(const FlashIdentity& identity);
    uint32_t checked(uint32_t address, const char* what);
    bool refuseWhileBusy(const char* what);

    PersistentBuffer storage_;
    uint32_t jedecId_;
    SimTime time_;
    std::chrono::milliseconds chipEraseTime_;
    Findings& findings_;
    SteadyClock::time_point eraseDone_{};
    bool prepared_ = false;
};

}  // namespace zel::sim
