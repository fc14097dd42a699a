#include "ChipDescription.h"

#include "IdentityRegisters.h"
#include "SfdpTable.h"
#include "text/TextCodec.h"

namespace zel::catalogue {

chipcfg::ChipConfigDescription describeChip(const ChipEntry& chip) {
    chipcfg::ChipConfigDescription d;
    d.vendor = text::windows1252ToWide(chip.maker);
    d.chipName = text::windows1252ToWide(chip.chip);
    d.chipSize = chip.size;
    d.voltageMillivolts = chip.millivolts;
    d.options = {.fixedAddressMode = chip.fixedAddressMode, .quadEnable = chip.qeAsShipped, .dieErase = chip.dieErase};
    d.settings = identitySettings(chip);
    d.section1End = chipcfg::Section1End::AnyGeneration;
    d.levels = supplyLevels(chip.millivolts);
    d.sfdpWords = chipcfg::wordsFromBytes(sfdp::buildTable(chip));
    d.sfdpMarkerAtPresenceOffset = true;
    return d;
}

}  // namespace zel::catalogue
