// What the device reports as its firmware (opcode 0x10) and the FPGA image it runs. At power-up
// it runs the firmware in its on-board flash when that holds a complete update, else the
// configured one. Opcode 0x24 loads another bitstream from the on-board flash, and the reported
// FPGA major byte follows it (bit 7 marks the 1.8 V image stored at 0x078000). Reloading the FPGA
// (0x20, 0x24) brings its registers back to their power-on values.
#pragma once

#include "device/CommandTable.h"
#include "device/OnBoardFlash.h"

#include <cstdint>
#include <functional>

namespace zel::sim {

class FirmwareInfo {
public:
    static constexpr uint32_t kLowVoltageImage = 0x078000;

    // reloadFpga: what loading a bitstream does to the rest of the FPGA (registers, tables).
    // configured: the version word reported when the flash holds no firmware to boot.
    FirmwareInfo(uint32_t configured, std::function<void()> reloadFpga)
        : configured_(configured), version_(configured), reloadFpga_(std::move(reloadFpga)) {}

    // The 5-byte reply: filler, FPGA major, FPGA minor, MCU major, MCU minor.
    std::vector<uint8_t> versionReply() const;
    uint8_t fpgaMajor() const;
    // The version word running now: byte 0 FPGA minor, 1 FPGA major, 2 MCU minor, 3 MCU major.
    uint32_t version() const { return version_; }
    uint32_t selectedImage() const { return selectedImage_; }
    unsigned reconfigurations() const { return reconfigurations_; }
    // Start (or restart after a power loss): boots from `flash` and selects the image at 0.
    void powerUp(const OnBoardFlash& flash);

    void install(CommandTable& table);

private:
    uint32_t configured_;
    uint32_t version_;
    std::function<void()> reloadFpga_;
    uint32_t selectedImage_ = 0;
    bool imageSwitched_ = false;
    unsigned reconfigurations_ = 0;
};

}  // namespace zel::sim
