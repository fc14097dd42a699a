// What the device reports as its firmware (opcode 0x10) and the FPGA image it runs: opcode 0x24
// loads another bitstream from the on-board flash, and the reported FPGA major byte follows it
// (bit 7 marks the 1.8 V image stored at 0x078000). Reloading the FPGA (0x20, 0x24) brings its
// registers back to their power-on values.
#pragma once

#include "device/CommandTable.h"

#include <cstdint>
#include <functional>

namespace zel::sim {

class FirmwareInfo {
public:
    static constexpr uint32_t kLowVoltageImage = 0x078000;

    // reloadFpga: what loading a bitstream does to the rest of the FPGA (registers, tables).
    FirmwareInfo(uint32_t version, std::function<void()> reloadFpga)
        : version_(version), reloadFpga_(std::move(reloadFpga)) {}

    // The 5-byte reply: filler, FPGA major, FPGA minor, MCU major, MCU minor.
    std::vector<uint8_t> versionReply() const;
    uint8_t fpgaMajor() const;
    uint32_t selectedImage() const { return selectedImage_; }
    unsigned reconfigurations() const { return reconfigurations_; }
    void powerCycle();

    void install(CommandTable& table);

private:
    uint32_t version_;
    std::function<void()> reloadFpga_;
    uint32_t selectedImage_ = 0;
    bool imageSwitched_ = false;
    unsigned reconfigurations_ = 0;
};

}  // namespace zel::sim
