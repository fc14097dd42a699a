// The SPI NOR chip a chip slot impersonates, as a target's SPI master sees it: its identity
// comes from the register file, its contents from the slot's emulation memory, its SFDP table
// from the slot's table; what only the chip itself holds (status registers, write enable,
// address mode) lives here. Operations complete at once, so WIP always reads 0.
#pragma once

#include "target/ChipIdentity.h"
#include "target/SlotMemory.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zel::sim::target {

class SpiNorChip {
public:
    static constexpr uint8_t kWriteInProgress = 0x01, kWriteEnableLatch = 0x02;
    // Status register 3 bit 0 shows the address mode (1: 4-byte), read with 0x15.
    static constexpr uint8_t kFourByteModeFlag = 0x01;
    static constexpr uint64_t kPageSize = 256;

    // The chip as the SFDP table and memory of its slot present it for one transaction.
    struct View {
        const ChipIdentity& identity;
        SlotMemory memory;
        const std::vector<uint16_t>& sfdp;  // the table as the download wrote it, two bytes a word
    };

    // One transaction: `mosi` is clocked out with chip select low, then `readLength` more bytes
    // are clocked (MOSI idle high) and what the chip drives on MISO during them is returned.
    std::vector<uint8_t> transact(const View& chip, std::span<const uint8_t> mosi, size_t readLength);

    // The chip powers up (or takes another identity): volatile state from the identity.
    void powerUp(const ChipIdentity& identity);
    // Forget the identity seen last, so the next transaction powers the chip up.
    void powerDown() { identity_.reset(); }

    bool fourByteMode() const { return fourByteMode_; }
    uint8_t status1() const { return static_cast<uint8_t>((status1_ & ~kWriteInProgress & ~kWriteEnableLatch) | (writeEnabled_ ? kWriteEnableLatch : 0)); }
    uint8_t status2() const { return status2_; }
    uint8_t status3() const { return static_cast<uint8_t>((status3_ & ~kFourByteModeFlag) | (fourByteMode_ ? kFourByteModeFlag : 0)); }
    bool writeEnabled() const { return writeEnabled_; }

private:
    // Powers up when the identity differs from the one seen last.
    void follow(const ChipIdentity& identity);
    unsigned addressBytes(uint8_t opcode) const;
    std::vector<uint8_t> answer(const View& chip, std::span<const uint8_t> mosi, size_t readLength) const;
    void execute(const View& chip, std::span<const uint8_t> mosi);
    void writeStatus(uint8_t opcode, std::span<const uint8_t> values);
    void program(const View& chip, std::span<const uint8_t> mosi, unsigned header);
    void erase(const View& chip, uint64_t address, uint64_t blockSize);
    // The erase block size of an erase opcode on this chip; nullopt when it has none.
    std::optional<uint64_t> eraseSize(const ChipIdentity& identity, uint8_t opcode) const;

    std::optional<ChipIdentity> identity_;
    uint8_t status1_ = 0, status2_ = 0, status3_ = 0;
    bool writeEnabled_ = false;
    bool statusWriteEnabled_ = false;  // 0x50: the next status write needs no write enable
    bool fourByteMode_ = false;
};

}  // namespace zel::sim::target
