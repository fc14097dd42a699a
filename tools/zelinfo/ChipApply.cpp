#include "ChipApply.h"

#include "DeviceNumber.h"
#include "DeviceReport.h"
#include "chipcfg/ConfigFolder.h"
#include "text/TextCodec.h"
#include "zelapi.h"

#include <array>
#include <cstdio>

namespace zel::info {
namespace {

void printError(const std::string& text)
{
    std::fputs(("zelinfo: " + text + "\n").c_str(), stderr);
}

}  // namespace

std::string describeAppliedChip(const ApplyRequest& request, const AppliedChip& chip)
{
    char line[160];
    std::snprintf(line, sizeof line, "device %d target %d: ", session::deviceNumber(request.device), request.target);
    std::string text = line + toUtf8(chip.vendor) + " " + toUtf8(chip.chip) + " applied\n";
    std::snprintf(line, sizeof line, "  chip size: %u bytes (%u KiB)\n  supply voltage: %u mV\n", chip.chipSize,
                  chip.chipSize / 1024, chip.voltageMillivolts);
    text += line;
    text += std::string("  fixed address mode: ") + (chip.fixedAddressMode ? "yes" : "no") + "\n";
    text += std::string("  SFDP table: ") + (chip.hasSfdp ? "yes" : "no") + "\n";
    return text;
}

int applyChipConfig(const ApplyRequest& request)
{
    const std::wstring path = text::utf8ToWide(request.configPath);
    if (CliIsZelmorProUSBOpened(request.device) != 1) {
        printError("device " + std::to_string(session::deviceNumber(request.device)) + " is not opened");
        return 1;
    }
    std::array<wchar_t, kZelVendorNameChars> vendor{};
    std::array<wchar_t, kZelChipNameChars> chip{};
    AppliedChip applied;
    uint8_t fixedAddressMode = 0;
    CliGetConfigFileInfo(path.c_str(), vendor.data(), chip.data(), &applied.chipSize, &applied.voltageMillivolts,
                         &fixedAddressMode);
    applied.vendor = vendor.data();
    applied.chip = chip.data();
    applied.fixedAddressMode = fixedAddressMode == 1;
    // The API changes no output for a file it cannot use; every real chip has a name.
    if (applied.chip.empty()) {
        printError("cannot use chip configuration " + request.configPath);
        return 1;
    }
    if (auto name = chipcfg::checkChipName(applied.chip); !name) {
        printError(name.error().message);
        return 1;
    }
    CliSetChipType(path.c_str(), request.target == 2, request.device);
    CliSetAddrLen(true, request.device);
    CliSetSetQEbit(request.device);
    CliSetDieEraseSize(request.device);
    applied.hasSfdp = CliGetConfigFileSFDP(path.c_str()) == 1;
    const std::string text = describeAppliedChip(request, applied);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

}  // namespace zel::info
