// One simulated emulator as the server drives it. The server serialises all calls (one lock per
// device), decides who may transfer, injects faults and logs; the model only behaves like the
// device.
#pragma once

#include "core/Descriptors.h"
#include "core/Transfer.h"

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zel::sim {

// Thrown by the inspection functions below for what a device model does not have.
class Unsupported : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class SimDevice {
public:
    virtual ~SimDevice() = default;

    virtual const UsbDescriptors& descriptors() const = 0;
    // One line for `zelsim start` and `status`: identity of the device.
    virtual std::string summary() const = 0;

    virtual TransferStatus bulkOut(uint8_t endpoint, OutData& data) = 0;
    virtual TransferStatus bulkIn(uint8_t endpoint, uint64_t maxLength, InData& reply) = 0;
    virtual TransferStatus control(const Setup& setup, std::span<const uint8_t> outData,
                                   std::vector<uint8_t>& inData) = 0;

    // The client that held the device let it go: transfer state in flight is dropped.
    virtual void endSession() = 0;
    // Unplugged: everything that does not survive a power cycle is lost.
    virtual void powerCycle() = 0;

    // Inspection and manipulation for the control interface.
    virtual bool running() const = 0;
    virtual std::vector<std::pair<unsigned, unsigned>> nonZeroRegisters() const = 0;
    virtual unsigned readRegister(unsigned reg) const = 0;
    virtual void writeRegister(unsigned reg, unsigned value) = 0;
    virtual unsigned registerCount() const = 0;
    virtual std::map<unsigned, unsigned> levels() const { throw Unsupported("this device has no level channels"); }
    virtual std::vector<uint8_t> readMemory(uint64_t address, uint64_t length) const = 0;
    virtual std::vector<uint8_t> readFlash(uint32_t address, uint32_t length) const = 0;
    // Emulation memory at a 32-bit address (bit 31: chip slot 1).
    virtual void fillMemory(uint64_t address, uint64_t length, uint8_t value) {
        throw Unsupported("this device has no emulation memory to fill");
    }
    // The transfer-log digest of what reading the memory would return.
    virtual uint64_t memoryDigest(uint64_t address, uint64_t length) const {
        throw Unsupported("this device has no emulation memory to digest");
    }
    // The byte at `offset` in the data phase of the next memory write is stored inverted.
    virtual void corruptNextMemoryWrite(uint64_t offset) {
        throw Unsupported("this device has no emulation memory to corrupt");
    }
    // A named block of device state (tables, RPMC block, ...) as hex words or bytes.
    virtual std::string dumpTable(const std::string& name, unsigned slot) const {
        throw Unsupported("this device has no table " + name);
    }
};

}  // namespace zel::sim
