// Process-wide state of the library: the slot table and the instance. The instance is
// destroyed before the slot table, and the slot table outlives ExitZeldev.
#pragma once

#include <memory>

#include "EmuDevice.h"
#include "SlotTable.h"

namespace zel::zeldev {

struct LibraryState {
    SlotTable slots;
    std::unique_ptr<CEmuDevice> instance;
};

LibraryState& libraryState();

}  // namespace zel::zeldev
