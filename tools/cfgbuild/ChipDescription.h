// A catalogue chip as the .cfg writer's description: names, size, voltage, option flags, the
// identity registers in section 1 (ended by the record tagged 0xFFFF, so that one file serves
// both generations), the chip's three supply levels and, with SFDP, the generated table with its
// marker at offset 180. The status-register defaults and protection table stay empty.
#pragma once

#include "ChipEntry.h"
#include "chipcfg/ChipConfigWriter.h"

namespace zel::catalogue {

chipcfg::ChipConfigDescription describeChip(const ChipEntry& chip);

}  // namespace zel::catalogue
