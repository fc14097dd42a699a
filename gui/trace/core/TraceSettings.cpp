#include "TraceSettings.h"

#include "dialogs/core/PathHistory.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsValues.h"
#include "text/TextCodec.h"

namespace zel::gui::trace {
namespace {

namespace keys = settings::keys;

std::string narrow(const std::wstring& text) { return text::wideToUtf8(text); }
std::wstring wide(const std::string& text) { return text::utf8ToWide(text); }

// Flags are written "1"/"0"; "Yes" is read too, as some writers used it.
bool readFlag(const GuiSettings& settings, std::string_view key) {
    const std::wstring text = settings.get(key);
    return text == L"1" || settings::parseBool(text);
}

std::uint32_t hexOf(const std::string& text) { return settings::parseHex(wide(text)).value_or(0); }

}  // namespace

CaptureOptions CaptureOptions::read(const GuiSettings& settings) {
    CaptureOptions options;
    options.continuous = settings.getBool(keys::kEnableSaveTrace2File);
    options.file = narrow(settings.get(keys::kSpiTraceFile));
    options.recentPaths = PathHistory::fromJoined(narrow(settings.get(keys::kSaveTracePaths))).paths();
    return options;
}

void CaptureOptions::choose(bool continuousSave, const std::string& chosenFile) {
    continuous = continuousSave;
    file = chosenFile;
    PathHistory history(recentPaths);
    history.add(chosenFile);
    recentPaths = history.paths();
}

settings::SettingsUpdate CaptureOptions::changes() const {
    settings::SettingsUpdate update;
    update.setBool(keys::kEnableSaveTrace2File, continuous);
    update.set(keys::kSpiTraceFile, wide(file));
    update.set(keys::kSaveTracePaths, wide(PathHistory(recentPaths).joined()));
    return update;
}

FilterOptions FilterOptions::read(const GuiSettings& settings) {
    FilterOptions options;
    options.conditions = static_cast<std::uint16_t>(
        settings::parseHex(settings.get(keys::kSpiFilterConditions)).value_or(0) & zel::trace::kAllConditions);
    options.start = narrow(settings.get(keys::kSpiFilterStartAddr));
    options.end = narrow(settings.get(keys::kSpiFilterEndAddr));
    options.special = narrow(settings.get(keys::kSpiFilterSpecialCommand));
    options.mask = readFlag(settings, keys::kSpiFilterMaskAddr);
    options.translate = readFlag(settings, keys::kSpiCommandTranslation);
    return options;
}

settings::SettingsUpdate FilterOptions::changes() const {
    settings::SettingsUpdate update;
    update.set(keys::kSpiFilterConditions, settings::formatHex(conditions));
    update.set(keys::kSpiFilterStartAddr, wide(start));
    update.set(keys::kSpiFilterEndAddr, wide(end));
    update.set(keys::kSpiFilterSpecialCommand, wide(special));
    update.set(keys::kSpiFilterMaskAddr, settings::formatFlag(mask));
    update.set(keys::kSpiCommandTranslation, settings::formatFlag(translate));
    return update;
}

zel::trace::FilterSettings FilterOptions::parsed() const {
    zel::trace::FilterSettings settings;
    settings.conditions = conditions;
    settings.start = hexOf(start);
    settings.end = hexOf(end);
    if (!special.empty()) settings.specialCommand = static_cast<std::uint8_t>(hexOf(special));
    settings.maskAddresses = mask;
    return settings;
}

}  // namespace zel::gui::trace
