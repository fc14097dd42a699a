// Exports: SPI trace read-out and reset.
#include "LibraryInstance.h"
#include "TraceCommands.h"
#include "ZelmorProDll.h"

using zel::devlink::library;
using zel::devlink::TraceCommands;

extern "C" {

int BurstReadZelmorProLogData(unsigned char* buffer, uint32_t length, unsigned int& filled, unsigned char mode,
                              int index) {
    auto* instance = library();
    if (!instance) return 0;
    if (filled > zel::devlink::kFullGuard) return 1;  // full: the caller sees it by its fill level
    if (buffer == nullptr) return 0;
    return TraceCommands(instance->slots().channel(index)).burstRead(buffer, length, filled, mode) ? 1 : 0;
}

int ReadZelmorProLogData(unsigned char* buffer, uint32_t length, uint32_t address, unsigned char mode, int index) {
    auto* instance = library();
    if (!instance || (buffer == nullptr && length > 0)) return 0;
    return TraceCommands(instance->slots().channel(index)).read({buffer, length}, address, mode) ? 1 : 0;
}

void ResetZelmorProSPITrace(int index) {
    if (auto* instance = library()) TraceCommands(instance->slots().channel(index)).reset();
}

int TryResetZelmorProSPITrace(int index) {
    auto* instance = library();
    return instance && TraceCommands(instance->slots().channel(index)).reset() ? 1 : 0;
}

}  // extern "C"
