// The emulator driven by command frames (product ID 0x1235, first generation and G2): bulk
// OUT 0x01 carries frames and their data phases, bulk IN 0x82 the replies, and the default pipe
// answers the standard requests.
#pragma once

#include "core/DeviceEnvironment.h"
#include "core/DeviceProfile.h"
#include "core/SimDevice.h"
#include "device/ChipTables.h"
#include "device/CommandTable.h"
#include "device/EmulationMemory.h"
#include "device/FirmwareInfo.h"
#include "device/FpgaRegisters.h"
#include "device/FrameDecoder.h"
#include "device/HyperTerminal.h"
#include "device/LevelChannels.h"
#include "device/OnBoardFlash.h"
#include "device/RpmcBlock.h"
#include "device/TraceReadout.h"
#include "target/TargetBus.h"

namespace zel::sim {

class FrameDevice final : public SimDevice {
public:
    static constexpr uint8_t kCommandEndpoint = 0x01;
    static constexpr uint8_t kReplyEndpoint = 0x82;

    FrameDevice(const DeviceProfile& profile, const DeviceEnvironment& environment);

    const UsbDescriptors& descriptors() const override { return descriptors_; }
    std::string summary() const override;

    TransferStatus bulkOut(uint8_t endpoint, OutData& data) override;
    TransferStatus bulkIn(uint8_t endpoint, uint64_t maxLength, InData& reply) override;
    TransferStatus control(const Setup& setup, std::span<const uint8_t> outData,
                           std::vector<uint8_t>& inData) override;
    void endSession() override { decoder_.reset(); }
    void powerCycle() override;

    bool running() const override { return registers_.running(); }
    std::vector<std::pair<unsigned, unsigned>> nonZeroRegisters() const override;
    unsigned readRegister(unsigned reg) const override { return registers_.read(static_cast<uint8_t>(reg)); }
    void writeRegister(unsigned reg, unsigned value) override;
    unsigned registerCount() const override { return 256; }
    std::map<unsigned, unsigned> levels() const override { return levels_.values(); }
    std::vector<uint8_t> readMemory(uint64_t address, uint64_t length) const override;
    std::vector<uint8_t> readFlash(uint32_t address, uint32_t length) const override;
    void fillMemory(uint64_t address, uint64_t length, uint8_t value) override;
    uint64_t memoryDigest(uint64_t address, uint64_t length) const override;
    void corruptNextMemoryWrite(uint64_t offset) override { memory_.corruptNextWrite(offset); }
    std::string dumpTable(const std::string& name, unsigned slot) const override;

    // The target board's side of the emulated chips (with the model lock held, like the rest).
    target::TargetBus& targetBus() { return target_; }
    HyperTerminal& terminal() { return terminal_; }
    const FpgaRegisters& fpga() const { return registers_; }

private:
    void reloadFpga();

    DeviceProfile profile_;
    Findings& findings_;
    UsbDescriptors descriptors_;
    FpgaRegisters registers_;
    ChipTables tables_;
    FirmwareInfo firmware_;
    OnBoardFlash flash_;
    EmulationMemory memory_;
    LevelChannels levels_;
    RpmcBlock rpmc_;
    CommandTable commands_;
    FrameDecoder decoder_;
    HyperTerminal terminal_{registers_};
    target::TargetBus target_{registers_, memory_, tables_, levels_};
    TraceReadout traceReadout_{target_.trace()};
};

}  // namespace zel::sim
