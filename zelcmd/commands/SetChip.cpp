// --set: makes each selected emulator impersonate the named chip. On a G2 emulator the chip's
// supply voltage is compared with that of the FPGA image first; a switch of the image (after a
// yes) restores the pins and selects the chip again, without asking a second time.
#include "CommandContext.h"
#include "Messages.h"
#include "chipcfg/ConfigFolder.h"
#include "commands/Commands.h"
#include "commands/FpgaSwitch.h"
#include "ChipSuggestions.h"
#include "settings/SettingsKeys.h"
#include "text/TextCodec.h"

namespace zel::cmd {
namespace {

// Product names below this one (code-unit order) are first-generation emulators.
constexpr std::wstring_view kSecondGenerationName = L"ZelmorPRro";
constexpr std::string_view kNotSupported = "Error: the chip is not supported now ...";
constexpr std::string_view kVccSettingError = "Error: VCC setting error! Please re-plug ZelmorPro-G2";
constexpr std::string_view kVoltageMismatch =
    "Error : The voltage requirement of the selected chip is not suitable for current version firmware.\n"
    "Please update the correct firmware or Please contact Varnik Inc. for geting the firmware.";

// On stderr: the catalogue names closest to an unknown chip name, when there are any.
void suggestChipNames(CommandContext& context, bool firstGeneration) {
    const auto line = firstGeneration ? chipcfg::ProductLine::EarlierModel : chipcfg::ProductLine::ZelmorPro;
    const auto& typed = *context.options().set;
    const auto names = session::closestChipNames(chipcfg::configFolder(context.programFolder(), line), typed);
    if (names.empty()) return;
    std::string list;
    for (const auto& name : names) list += (list.empty() ? "" : ", ") + name;
    context.console().err("  Reason: no chip configuration is named " + typed + "; closest: " + list + "\n");
}

enum class VoltageAnswer { Matches, Switched, SwitchFailed, Declined, Other };

std::optional<std::filesystem::path> configFileFor(CommandContext& context, bool firstGeneration) {
    const auto line = firstGeneration ? chipcfg::ProductLine::EarlierModel : chipcfg::ProductLine::ZelmorPro;
    auto path = chipcfg::findConfigFile(context.programFolder(), line, text::utf8ToWide(*context.options().set));
    if (!path || refuseNonRegularFile(context.console(), *path, path->string()) || !isReadableFile(*path))
        return std::nullopt;
    return *path;
}

bool askToChangeChip(CommandContext& context, int* answer) {
    context.console().line("Chip voltage has been changed, are you sure to change the chip? [Y/N] ");
    *answer = context.input().answer();  // end of input counts as any other character
    return *answer == 'Y' || *answer == 'y';
}

// Nothing when the FPGA image's voltage is unknown (the step then fails silently).
std::optional<std::uint32_t> imageVoltage(const ProductInfo& info) {
    if (info.fpgaMajor() == kFpgaMajor18V) return 1800;
    if (info.fpgaMajor() == kFpgaMajor33V) return 3300;
    return std::nullopt;
}

VoltageAnswer matchVoltage(CommandContext& context, int index, std::uint32_t imageMillivolts, bool mayAsk) {
    if (context.chip.voltage == imageMillivolts || !mayAsk) return VoltageAnswer::Matches;
    int answer = 0;
    if (askToChangeChip(context, &answer)) {
        context.console().line("Please wait for 10 seconds...");
        return switchFpgaImage(context, index, context.chip.voltage) ? VoltageAnswer::Switched
                                                                     : VoltageAnswer::SwitchFailed;
    }
    if (answer == 'N' || answer == 'n') {
        context.console().line(kVccSettingError);
        return VoltageAnswer::Declined;
    }
    return VoltageAnswer::Other;
}

// Firmware-voltage check and capabilities from the version read after the chip was set.
bool firmwareSuitsChip(CommandContext& context, int index) {
    auto& api = context.api();
    auto& device = context.device(index);
    const auto info = api.productInfo(index);
    if (!info.answered) {
        context.console().line(msg::kNoAnswer);
        context.explain(index);
        return false;
    }
    std::optional<bool> firmware3V3;
    device.generation2 = info.isG2();
    api.useLargeBuffer(index);
    if (info.isG2()) {
        device.firmwareSupports4ByteEntry = true;
        firmware3V3 = info.fpgaMajor() != kFpgaMajor18V;
    } else {
        // First-generation images up to minor 67 carry no voltage: they pass.
        if (info.fpgaMinor() >= zel::device::kFirstFpgaMinorWithVoltage)
            firmware3V3 = (info.fpgaMajor() & zel::device::kFpga18VFlag) == 0;
        device.firmwareSupports4ByteEntry = info.fpgaMinor() >= zel::device::kFirstFpgaMinorWith4ByteEntry;
    }
    if (firmware3V3) device.firmwareIs3V3 = *firmware3V3;
    const auto voltage = context.chip.voltage;
    if (firmware3V3 && ((*firmware3V3 && voltage == 1800) || (!*firmware3V3 && voltage == 3300))) {
        context.console().line(kVoltageMismatch);
        return false;
    }
    return true;
}

void selectAddressMode(CommandContext& context, int index) {
    auto& api = context.api();
    if (context.options().enter4ByteMode.value_or(0) != 2) {
        api.setAddressLength(true, index);
    } else if (!context.device(index).firmwareSupports4ByteEntry) {
        context.console().line(
            "Error: this firmware version doen't support Enter 4-byte mode function! \nPlease contect Varnik Inc. "
            "to get more information");
        api.setAddressLength(true, index);
    } else if (context.chip.no4ByteMode) {
        context.console().line("Error: this chip DO NOT support 4-byte-mode");
        api.setAddressLength(true, index);
    } else {
        api.setAddressLength(false, index);
        context.console().line("Enter 4-Byte mode.");
    }
}

bool applyChip(CommandContext& context, int index, const std::filesystem::path& cfgFile) {
    const auto& options = context.options();
    if (!context.api().setChipType(cfgFile, options.targetTwo(), index)) {
        // The target would go on answering as whatever chip the emulator held before.
        context.console().out(
            format("Error: Chip %d %s is not set. The emulator did not take the chip configuration.\n",
                   options.target, options.set->c_str()));
        return false;
    }
    context.console().out(format("Chip %d %s is set.\n", options.target, options.set->c_str()));
    context.device(index).chipSet = true;
    context.console().line(context.chip.voltage == 1800 ? "VCC 1.8V is applied!" : "VCC 3.3V is applied!");
    return true;
}

bool selectChip(CommandContext& context, int index, bool mayAsk) {
    auto& api = context.api();
    auto& device = context.device(index);
    device.chipSet = false;
    if (!api.isOpened(index)) {
        context.console().line(msg::kNotDetected);
        context.explain(index);
        return false;
    }
    const auto info = api.productInfo(index);
    // A version that was never read must not make a G2 emulator a first-generation one.
    if (!info.answered) {
        context.console().line(msg::kNoAnswer);
        context.explain(index);
        return false;
    }
    const bool firstGeneration = info.name < kSecondGenerationName;
    device.secondGenerationOrLater = !firstGeneration;
    if (firstGeneration && context.options().targetTwo()) {
        context.console().line("Zelmor does not support dual flash!");
        return false;
    }
    const auto cfgFile = configFileFor(context, firstGeneration);
    if (!cfgFile) {
        context.console().line(kNotSupported);
        suggestChipNames(context, firstGeneration);
        return false;
    }
    const auto chip = api.configFileInfo(*cfgFile);
    // A file that is no chip configuration (no size read from it) would be applied as nothing.
    if (chip.size == 0) {
        context.console().line(kNotSupported);
        return false;
    }
    context.chip = chip;
    context.chipInfoRead = true;
    device.chipSize = context.chip.size;
    if (info.isG2()) {
        const auto image = imageVoltage(info);
        if (!image) return false;
        switch (matchVoltage(context, index, *image, mayAsk)) {
        case VoltageAnswer::Switched: return selectChip(context, index, false);
        case VoltageAnswer::SwitchFailed: return false;
        default: break;
        }
    }
    if (!applyChip(context, index, *cfgFile)) return false;
    if (!firmwareSuitsChip(context, index)) return false;
    selectAddressMode(context, index);
    return true;
}

void recordChoice(CommandContext& context) {
    namespace keys = settings::keys;
    const bool second = context.options().targetTwo();
    context.settings().set(second ? keys::kLastSetManufacturer2 : keys::kLastSetManufacturer, context.chip.manufacturer);
    context.settings().set(second ? keys::kLastSetChipType2 : keys::kLastSetChipType, context.chip.chipType);
}

}  // namespace

bool runSetChip(CommandContext& context) {
    bool anySet = false;
    bool succeeded = true;
    for (int index : context.selectedDevices()) {
        auto& device = context.device(index);
        device.result = selectChip(context, index, true);
        anySet = anySet || device.result;
        if (!device.result) {
            succeeded = false;
            break;  // --set stops at the first device that fails
        }
    }
    if (anySet && context.chipInfoRead) recordChoice(context);
    return succeeded;
}

}  // namespace zel::cmd
