#include "device/FrameDevice.h"

#include "core/DataRecorder.h"
#include "device/PinControls.h"

#include <cstdio>

namespace zel::sim {
namespace {

std::string hexWords(const std::vector<uint16_t>& words) {
    std::string text;
    char item[8];
    for (auto w : words) {
        std::snprintf(item, sizeof item, "%04x\n", w);
        text += item;
    }
    return text;
}

}  // namespace

FrameDevice::FrameDevice(const DeviceProfile& profile, const DeviceEnvironment& environment)
    : profile_(profile),
      findings_(environment.findings),
      descriptors_(makeDescriptors(kVendorId, profile.productId, "Varnik", profile.name,
                                   {{kCommandEndpoint, 2, 512, 0}, {kReplyEndpoint, 2, 512, 0}})),
      tables_(registers_, environment.findings),
      firmware_(profile.firmware, [this] { reloadFpga(); }),
      flash_(environment.flashFile, profile.flashId, FlashIdentity::of(profile),
             environment.time, profile.eraseTime.value_or(environment.chipEraseTime), environment.findings),
      memory_(environment.findings),
      decoder_(commands_, environment.findings) {
    registers_.install(commands_);
    firmware_.install(commands_);
    flash_.install(commands_);
    memory_.install(commands_);
    levels_.install(commands_);
    rpmc_.install(commands_);
    terminal_.install(commands_);
    traceReadout_.install(commands_);
    target_.attachTerminal(terminal_);
    installPinControls(registers_, findings_);
    firmware_.powerUp(flash_);
}

std::string FrameDevice::summary() const {
    char text[160];
    std::snprintf(text, sizeof text, "%04x serial=%u gen=%d hw=%u fw=0x%08x flashid=0x%06x", profile_.productId,
                  flash_.serial(), profile_.generation, flash_.hardwareVersion(), firmware_.version(), profile_.flashId);
    return text + std::string(" name=") + profile_.name;
}

TransferStatus FrameDevice::bulkOut(uint8_t endpoint, OutData& data) {
    if (endpoint != kCommandEndpoint) return TransferStatus::Bad;
    decoder_.receive(data);
    return TransferStatus::Ok;
}

TransferStatus FrameDevice::bulkIn(uint8_t endpoint, uint64_t maxLength, InData& reply) {
    if (endpoint != kReplyEndpoint) return TransferStatus::Bad;
    return decoder_.send(maxLength, reply) ? TransferStatus::Ok : TransferStatus::Timeout;
}

TransferStatus FrameDevice::control(const Setup& setup, std::span<const uint8_t>, std::vector<uint8_t>& inData) {
    if (auto status = answerStandardRequest(descriptors_, setup, inData)) return *status;
    findings_.flag("control request " + toHex(setup.raw) + " is not a standard request");
    return TransferStatus::Stall;
}

void FrameDevice::reloadFpga() {
    registers_.reset();
    tables_.reset();
    terminal_.reset();
    target_.fpgaReloaded();
}

void FrameDevice::powerCycle() {
    decoder_.reset();
    reloadFpga();
    firmware_.powerUp(flash_);
    memory_.clear();
    levels_.clear();
    target_.powerCycle();
}

std::vector<std::pair<unsigned, unsigned>> FrameDevice::nonZeroRegisters() const {
    std::vector<std::pair<unsigned, unsigned>> list;
    for (unsigned reg = 0; reg < 256; ++reg)
        if (auto v = registers_.read(static_cast<uint8_t>(reg)); v != 0) list.emplace_back(reg, v);
    return list;
}

void FrameDevice::writeRegister(unsigned reg, unsigned value) {
    if (reg > 0xFF || value > 0xFFFF) throw std::out_of_range("register 0..0xff, value 0..0xffff");
    registers_.write(static_cast<uint8_t>(reg), static_cast<uint16_t>(value));
}

std::vector<uint8_t> FrameDevice::readMemory(uint64_t address, uint64_t length) const {
    if (address > 0xFFFFFFFF) throw std::out_of_range("memory addresses are 32-bit");
    return memory_.read(EmulationMemory::locate(static_cast<uint32_t>(address)), length);
}

void FrameDevice::fillMemory(uint64_t address, uint64_t length, uint8_t value) {
    if (address > 0xFFFFFFFF) throw std::out_of_range("memory addresses are 32-bit");
    memory_.fill(EmulationMemory::locate(static_cast<uint32_t>(address)), length, value);
}

uint64_t FrameDevice::memoryDigest(uint64_t address, uint64_t length) const {
    if (address > 0xFFFFFFFF) throw std::out_of_range("memory addresses are 32-bit");
    return memory_.digest(EmulationMemory::locate(static_cast<uint32_t>(address)), length);
}

std::vector<uint8_t> FrameDevice::readFlash(uint32_t address, uint32_t length) const {
    std::vector<uint8_t> bytes(length);
    flash_.read(address, bytes);
    return bytes;
}

std::string FrameDevice::dumpTable(const std::string& name, unsigned slot) const {
    if (slot > 1) throw std::out_of_range("chip slot 0 or 1");
    if (name == "sfdp") return hexWords(tables_.sfdp(slot));
    if (name == "protect") return hexWords(tables_.protection(slot));
    if (name == "rpmc") return rpmc_.bytes().empty() ? std::string() : toHex(rpmc_.bytes()) + "\n";
    if (name == "rpmc-downloads") return std::to_string(rpmc_.downloads()) + "\n";
    return SimDevice::dumpTable(name, slot);
}

}  // namespace zel::sim
