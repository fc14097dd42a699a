// Exports: target SPI state, supply voltage, RPMC settings, and the register read and host
// pause that the emulator API builds its pin settings and stop on.
#include "LibraryInstance.h"
#include "PinCommands.h"
#include "RegisterCommands.h"
#include "RpmcCommand.h"
#include "SupplyCommands.h"
#include "ZelmorProDll.h"

#include <chrono>
#include <climits>
#include <thread>

using zel::devlink::CommandChannel;
using zel::devlink::library;
using zel::devlink::PinCommands;
using zel::devlink::SupplyCommands;
using zel::devlink::SupplyVoltage;

namespace {

// The current device's channel; closed when the library is not initialised.
CommandChannel currentChannel() {
    auto* instance = library();
    if (!instance) return CommandChannel(nullptr);
    return instance->slots().channel(instance->slots().currentIndex());
}

void setSupply(SupplyVoltage voltage, int index) {
    if (auto* instance = library()) SupplyCommands(instance->slots().channel(index)).setSupply(voltage);
}

}  // namespace

extern "C" {

void GetZelmorProSPILastCommand(uint32_t& value) {
    if (auto read = PinCommands(currentChannel()).lastCommand()) value = *read;
}

void GetZelmorProSPIPinStatus(uint32_t& value) {
    if (auto read = PinCommands(currentChannel()).pinStatus()) value = *read;
}

void SetZelmorProVccTo33V(int index) { setSupply(SupplyVoltage::V3_3, index); }
void SetZelmorProVccTo25V(int index) { setSupply(SupplyVoltage::V2_5, index); }
void SetZelmorProVccTo18V(int index) { setSupply(SupplyVoltage::V1_8, index); }

int WriteZelmorProRPMC(unsigned char* const block, int size, unsigned int index) {
    auto* instance = library();
    if (!instance || block == nullptr || size < 0) return 0;
    // An index beyond int is no slot; -1 keeps it outside the table.
    auto channel = instance->slots().channel(index > INT_MAX ? -1 : static_cast<int>(index));
    return zel::devlink::writeRpmcBlock(channel, {block, static_cast<size_t>(size)}) ? 1 : 0;
}

int TryReadZelmorProRegister(unsigned char reg, unsigned short* value, int index) {
    auto* instance = library();
    if (!instance || value == nullptr) return 0;
    auto read = zel::devlink::RegisterCommands(instance->slots().channel(index)).read(reg);
    if (!read) return 0;
    *value = *read;
    return 1;
}

void SleepForZelmorPro(unsigned int milliseconds, int index) {
    const std::chrono::milliseconds wait(milliseconds);
    auto* instance = library();
    const auto* device = instance ? instance->slots().device(index) : nullptr;
    if (device)
        zel::transport::scaledSleep(*device, wait);
    else
        std::this_thread::sleep_for(wait);
}

}  // extern "C"
