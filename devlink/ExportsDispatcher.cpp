// Export: the generic command entry.
#include "CommandDispatcher.h"
#include "LibraryInstance.h"
#include "ZelmorProDll.h"

extern "C" long SendCommandToZelmorPro(_COMMAND cmd, uintptr_t arg, uint32_t value1, uint32_t value2, int index) {
    auto* instance = zel::devlink::library();
    if (!instance) return 0;
    return zel::devlink::dispatchCommand(instance->slots(), {cmd, arg, value1, value2, index});
}
