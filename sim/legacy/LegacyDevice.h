// The emulator of the earlier USB design (product ID 0x1234): vendor control requests on the
// default pipe for registers, serial flash, boot memory and identity; bulk OUT 0x02 and bulk
// IN 0x86 for memory transfers that a vendor request starts.
#pragma once

#include "core/DeviceEnvironment.h"
#include "core/DeviceProfile.h"
#include "core/PersistentBuffer.h"
#include "core/SimDevice.h"
#include "legacy/BulkMemory.h"
#include "legacy/SerialFlash.h"

#include <array>
#include <functional>

namespace zel::sim {

class LegacyDevice final : public SimDevice {
public:
    static constexpr uint8_t kInterruptIn = 0x81, kBulkOut = 0x02, kBulkIn = 0x86, kSecondBulkIn = 0x88;
    static constexpr size_t kBootMemorySize = 16 << 10;

    LegacyDevice(const DeviceProfile& profile, const DeviceEnvironment& environment);

    const UsbDescriptors& descriptors() const override { return descriptors_; }
    std::string summary() const override;

    TransferStatus bulkOut(uint8_t endpoint, OutData& data) override;
    TransferStatus bulkIn(uint8_t endpoint, uint64_t maxLength, InData& reply) override;
    TransferStatus control(const Setup& setup, std::span<const uint8_t> outData,
                           std::vector<uint8_t>& inData) override;
    void endSession() override { memory_.end(); }
    void powerCycle() override;

    bool running() const override { return registers_[kRunState] != 0; }
    std::vector<std::pair<unsigned, unsigned>> nonZeroRegisters() const override;
    unsigned readRegister(unsigned reg) const override { return registers_.at(reg); }
    void writeRegister(unsigned reg, unsigned value) override;
    unsigned registerCount() const override { return static_cast<unsigned>(registers_.size()); }
    std::vector<uint8_t> readMemory(uint64_t address, uint64_t length) const override;
    std::vector<uint8_t> readFlash(uint32_t address, uint32_t length) const override;
    std::string dumpTable(const std::string& name, unsigned slot) const override;

private:
    static constexpr unsigned kRunState = 0x28;

    using Handler = std::function<TransferStatus(const Setup&, std::span<const uint8_t>, std::vector<uint8_t>&)>;
    struct VendorRequest {
        uint8_t request;
        bool in;
        unsigned recipient;  // 0 device, 2 endpoint
        int length;          // expected wLength; -1: any
        Handler handler;
    };

    void defineRequests();
    const VendorRequest* findRequest(const Setup& setup) const;
    void checkRequest(const VendorRequest& request, const Setup& setup);

    DeviceProfile profile_;
    Findings& findings_;
    SimTime time_;
    UsbDescriptors descriptors_;
    std::vector<uint8_t> registers_ = std::vector<uint8_t>(0x10000);
    SerialFlash flash_;
    PersistentBuffer bootMemory_;
    SteadyClock::time_point bootReadyAt_{};
    BulkMemory memory_;
    unsigned logTriggers_ = 0;
    std::vector<VendorRequest> requests_;
};

}  // namespace zel::sim
