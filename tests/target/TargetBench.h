// A target bus over the real device-model parts (register file, emulation memory, tables,
// levels), with helpers that do what a chip-configuration download and the host would do.
#pragma once

#include "device/ChipTables.h"
#include "device/CommandTable.h"
#include "device/EmulationMemory.h"
#include "device/FpgaRegisters.h"
#include "device/LevelChannels.h"
#include "target/TargetBus.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zel::sim::target::test {

struct ChipSpec {
    uint8_t manufacturer = 0xEF;
    uint16_t device = 0x4015;
    unsigned sizeLog2 = 21;   // 2 MiB
    uint16_t options = 0x08;  // 3-byte, fixed
    uint16_t erases = 0x07;   // 4K, 32K, 64K
    uint16_t reads = 0x2F;
};

class NoFindings final : public Findings {
public:
    void flag(std::string text) override { flagged.push_back(std::move(text)); }
    std::vector<std::string> flagged;
};

class TargetBench : public ::testing::Test {
protected:
    TargetBench() { levels_.install(commands_); }

    void loadChip(const ChipSpec& chip, unsigned slot = 0) {
        const unsigned base = 0x40 + 0x70 * slot;
        const uint16_t values[] = {chip.manufacturer, chip.device, static_cast<uint16_t>(chip.sizeLog2), chip.options,
                                   chip.erases, chip.reads};
        for (unsigned i = 0; i < 6; ++i) registers_.write(static_cast<uint8_t>(base + i), values[i]);
    }
    // As the download sends a table: select, then two bytes a word, low byte first.
    void loadSfdp(const std::vector<uint8_t>& bytes, unsigned slot = 0) {
        registers_.write(ChipTables::kSfdpSelect, static_cast<uint16_t>(slot + 1));
        for (size_t i = 0; i < bytes.size(); i += 2) {
            const uint16_t high = i + 1 < bytes.size() ? bytes[i + 1] : 0xFF;
            registers_.write(slot == 0 ? ChipTables::kSfdpPort0 : ChipTables::kSfdpPort1,
                             static_cast<uint16_t>(bytes[i] | high << 8));
        }
    }
    void setSupply(unsigned millivolts) {
        Frame frame;
        frame.bytes[0] = 0x11;
        frame.bytes[1] = TargetBus::kSupplyChannel;
        frame.bytes[2] = static_cast<uint8_t>(millivolts >> 8);
        frame.bytes[3] = static_cast<uint8_t>(millivolts);
        NoContext context;
        commands_.frameHandler(0x11)(frame, context);
    }
    void run(bool on) { registers_.write(FpgaRegisters::kRunState, on ? 1 : 0); }
    // Chip loaded, supply on, emulator running: what the target board normally meets.
    void start(const ChipSpec& chip = {}, unsigned slot = 0) {
        loadChip(chip, slot);
        setSupply(3300);
        run(true);
    }

    std::vector<uint8_t> spi(std::vector<uint8_t> mosi, size_t readLength = 0, unsigned slot = 0) {
        return bus_.transact(slot, mosi, readLength);
    }
    uint8_t status(uint8_t opcode = 0x05) { return spi({opcode}, 1).at(0); }
    std::vector<uint8_t> read(uint32_t address, size_t length, unsigned slot = 0) {
        return spi({0x03, static_cast<uint8_t>(address >> 16), static_cast<uint8_t>(address >> 8),
                    static_cast<uint8_t>(address)},
                   length, slot);
    }
    std::vector<uint8_t> memory(uint64_t offset, uint64_t length, unsigned slot = 0) {
        return memory_.read({slot, offset}, length);
    }
    void fillMemory(uint64_t offset, uint64_t length, uint8_t value, unsigned slot = 0) {
        memory_.fill({slot, offset}, length, value);
    }

    static std::vector<uint8_t> bytes(size_t n, uint8_t value) { return std::vector<uint8_t>(n, value); }
    static std::vector<uint8_t> withAddress(uint8_t opcode, uint32_t address, unsigned addressBytes = 3) {
        std::vector<uint8_t> out{opcode};
        for (unsigned i = addressBytes; i-- > 0;) out.push_back(static_cast<uint8_t>(address >> (8 * i)));
        return out;
    }

    NoFindings findings_;
    FpgaRegisters registers_;
    ChipTables tables_{registers_, findings_};
    EmulationMemory memory_{findings_};
    LevelChannels levels_;
    CommandTable commands_;
    TargetBus bus_{registers_, memory_, tables_, levels_, 4096};

private:
    struct NoContext final : CommandContext {
        void reply(std::vector<uint8_t>) override {}
        void reply(std::unique_ptr<ReplySource>) override {}
        Findings& findings() override { return none; }
        NoFindings none;
    };
};

}  // namespace zel::sim::target::test
