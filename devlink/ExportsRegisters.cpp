// Exports: FPGA registers, run control, generation, operation log.
#include "IdentityCommands.h"
#include "LibraryInstance.h"
#include "RegisterCommands.h"
#include "ZelmorProDll.h"

using zel::devlink::CommandChannel;
using zel::devlink::IdentityCommands;
using zel::devlink::library;
using zel::devlink::RegisterCommands;

namespace {

// Channel of a slot; closed (sends nothing) for a bad index or a slot that is not open.
CommandChannel channelOf(zel::devlink::CZelmorProCom& instance, int index) {
    return instance.slots().channel(index);
}

}  // namespace

extern "C" {

unsigned short ReadZelmorProRegister(unsigned char reg, unsigned short& value, int index) {
    auto* instance = library();
    if (!instance) return 0;
    value = RegisterCommands(channelOf(*instance, index)).read(reg).value_or(0);
    return value;
}

void WriteZelmorProRegister(unsigned char reg, unsigned short value, int index) {
    if (auto* instance = library()) RegisterCommands(channelOf(*instance, index)).write(reg, value);
}

void RunZelmorPro(int index) {
    if (auto* instance = library()) {
        auto channel = channelOf(*instance, index);
        if (channel.isOpen()) RegisterCommands(channel).run();
    }
}

void StopZelmorPro(int index) {
    if (auto* instance = library()) {
        auto channel = channelOf(*instance, index);
        if (channel.isOpen()) RegisterCommands(channel).stop();
    }
}

int IsZelmorProRunning(int index) {
    auto* instance = library();
    return instance && RegisterCommands(channelOf(*instance, index)).isRunning() ? 1 : 0;
}

int TryRunZelmorPro(int index) {
    auto* instance = library();
    return instance && RegisterCommands(channelOf(*instance, index)).run() ? 1 : 0;
}

int TryStopZelmorPro(int index) {
    auto* instance = library();
    return instance && RegisterCommands(channelOf(*instance, index)).stop() ? 1 : 0;
}

int TryIsZelmorProRunning(int* running, int index) {
    auto* instance = library();
    if (!instance || running == nullptr) return 0;
    auto state = RegisterCommands(channelOf(*instance, index)).runState();
    if (!state) return 0;
    *running = *state ? 1 : 0;
    return 1;
}

int IsZelmorProG2(int index) {
    auto* instance = library();
    return instance && IdentityCommands(channelOf(*instance, index)).isG2() ? 1 : 0;
}

void SetOperationLog(int index) {
    if (auto* instance = library()) RegisterCommands(channelOf(*instance, index)).setOperationLog();
}

}  // extern "C"
