// Exports: the hyper terminal's registers, FIFOs and port.
#include "LibraryInstance.h"
#include "TerminalCommands.h"
#include "ZelmorProDll.h"

using zel::devlink::library;
using zel::devlink::TerminalCommands;

namespace {

TerminalCommands terminalOf(zel::devlink::CZelmorProCom& instance, int index) {
    return TerminalCommands(instance.slots().channel(index));
}

}  // namespace

extern "C" {

unsigned char ReadZelmorProHTRegister(unsigned char reg, unsigned char& value, int index) {
    auto* instance = library();
    if (!instance) return 0;
    value = terminalOf(*instance, index).readRegister(reg).value_or(0);
    return value;
}

void WriteZelmorProHTRegister(unsigned char reg, unsigned short value, int index) {
    if (auto* instance = library()) terminalOf(*instance, index).writeRegister(reg, value);
}

int ReadZelmorProHTuFIFO(unsigned char* buffer, uint32_t length, uint32_t param, int index) {
    auto* instance = library();
    if (!instance || buffer == nullptr) return 0;
    const size_t replyLength = size_t{length} + 2;
    return terminalOf(*instance, index).readUpFifo({buffer, replyLength}, length, param) ? 1 : 0;
}

void GetZelmorProuFIFO(unsigned char* buffer, unsigned short length, unsigned short param, int index) {
    ReadZelmorProHTuFIFO(buffer, length, param, index);
}

void WriteZelmorProdFIFO(unsigned char* data, unsigned short length, unsigned short param, unsigned char& status,
                         int index) {
    auto* instance = library();
    if (!instance) return;
    if (data == nullptr && length > 0) {
        status = 0;
        return;
    }
    // A failed transfer confirms nothing stored.
    status = terminalOf(*instance, index).writeDownFifo({data, length}, param).value_or(0);
}

void SetZelmorProHTPortFromUSB(bool fromUsb, int index) {
    if (auto* instance = library()) terminalOf(*instance, index).selectPort(fromUsb);
}

}  // extern "C"
