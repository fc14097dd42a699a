#include "SettingsBinding.h"

#include "settings/SettingsKeys.h"
#include "settings/SettingsValues.h"
#include "text/TextCodec.h"

namespace zel::gui {
namespace {

namespace keys = settings::keys;

std::string narrow(const std::wstring& text) { return text::wideToUtf8(text); }
std::wstring wide(const std::string& text) { return text::utf8ToWide(text); }

std::vector<std::filesystem::path> splitHistory(const std::wstring& joined) {
    std::vector<std::filesystem::path> paths;
    std::string text = narrow(joined);
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t bar = std::min(text.find('|', from), text.size());
        if (bar > from) paths.emplace_back(text.substr(from, bar - from));
        from = bar + 1;
    }
    return paths;
}

}  // namespace

StoredChoices readStoredChoices(const GuiSettings& settings, EmulatorState& state) {
    StoredChoices stored;
    stored.chipType[0] = narrow(settings.get(keys::kLastSetChipType));
    stored.chipType[1] = narrow(settings.get(keys::kLastSetChipType2));
    stored.image[0] = narrow(settings.get(keys::kLastLoadedFile));
    stored.image[1] = narrow(settings.get(keys::kLastLoadedFile2));
    if (auto serial = settings::parseHex(settings.get(kSelectedSerialKey))) stored.selectedSerial = *serial;

    state.pins.hold = static_cast<std::uint8_t>(settings::parseHex(settings.get(keys::kHoldPinSetting)).value_or(kHoldFloating) & 3);
    state.pins.resetPin = settings.getBool(keys::kEnableResetPin);
    state.pins.misoByExternalBuffer = settings::parseHex(settings.get(keys::kMisoDrivenSetting)).value_or(0) != 0;
    if (auto mode = settings::parseHex(settings.get(kChipSelectModeKey))) state.pins.chipSelect = *mode == 0;
    state.download.truncate = settings.getBool(keys::kTruncateFile);
    state.download.fill = settings.getBool(keys::kRequireFillValue);
    state.download.fillByte = static_cast<std::uint8_t>(settings::parseHex(settings.get(keys::kFillBufferValue)).value_or(0xFF));
    state.download.start = settings::parseHex(settings.get(keys::kDownloadStartAddress)).value_or(0);
    state.download.upTo = settings.getBool(keys::kNeedUpToAddr);
    state.history = splitHistory(settings.get(keys::kSavedPaths));
    return stored;
}

settings::SettingsUpdate chipChanges(const EmulatorState& state, int target) {
    settings::SettingsUpdate update;
    const auto& chip = state.targets[static_cast<size_t>(target)].chip;
    update.set(target == 0 ? keys::kLastSetManufacturer : keys::kLastSetManufacturer2, chip ? wide(chip->manufacturer) : L"");
    update.set(target == 0 ? keys::kLastSetChipType : keys::kLastSetChipType2, chip ? wide(chip->name) : L"");
    return update;
}

settings::SettingsUpdate imageChanges(const EmulatorState& state, int target) {
    settings::SettingsUpdate update;
    const TargetState& slot = state.targets[static_cast<size_t>(target)];
    update.set(target == 0 ? keys::kLastLoadedFile : keys::kLastLoadedFile2, wide(slot.image.string()));
    update.set(target == 0 ? keys::kLastLoadedFileFormat : keys::kLastLoadedFileFormat2, wide(slot.format));
    update.setBool(keys::kTruncateFile, state.download.truncate);
    std::string joined;
    for (const auto& path : state.history) joined += (joined.empty() ? "" : "|") + path.string();
    update.set(keys::kSavedPaths, wide(joined));
    return update;
}

settings::SettingsUpdate selectedSerialChange(std::uint32_t serial) {
    settings::SettingsUpdate update;
    update.set(kSelectedSerialKey, settings::formatHex(serial));
    return update;
}

}  // namespace zel::gui
