#include "TraceSettings.h"

#include "dialogs/core/PathHistory.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsValues.h"
#include "text/TextCodec.h"

namespace zel::gui::trace {
namespace {

namespace keys = settings::keys;

std::uint32_t hexOf(const std::string& text) { return settings::parseHex(text::utf8ToWide(text)).value_or(0); }

}  // namespace

CaptureOptions CaptureOptions::read(const GuiSettings& settings) {
    CaptureOptions options;
    options.continuous = settings.getBool(keys::kEnableSaveTrace2File);
    options.file = settings.getUtf8(keys::kSpiTraceFile);
    options.recentPaths = PathHistory::fromJoined(settings.getUtf8(keys::kSaveTracePaths)).paths();
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
    update.set(keys::kSpiTraceFile, text::utf8ToWide(file));
    update.set(keys::kSaveTracePaths, text::utf8ToWide(PathHistory(recentPaths).joined()));
    return update;
}

FilterOptions FilterOptions::read(const GuiSettings& settings) {
    FilterOptions options;
    options.conditions = static_cast<std::uint16_t>(
        settings::parseHex(settings.get(keys::kSpiFilterConditions)).value_or(0) & zel::trace::kAllConditions);
    options.start = settings.getUtf8(keys::kSpiFilterStartAddr);
    options.end = settings.getUtf8(keys::kSpiFilterEndAddr);
    options.special = settings.getUtf8(keys::kSpiFilterSpecialCommand);
    options.mask = settings.getFlag(keys::kSpiFilterMaskAddr);
    options.translate = settings.getFlag(keys::kSpiCommandTranslation);
    return options;
}

settings::SettingsUpdate FilterOptions::changes() const {
    settings::SettingsUpdate update;
    update.set(keys::kSpiFilterConditions, settings::formatHex(conditions));
    update.set(keys::kSpiFilterStartAddr, text::utf8ToWide(start));
    update.set(keys::kSpiFilterEndAddr, text::utf8ToWide(end));
    update.set(keys::kSpiFilterSpecialCommand, text::utf8ToWide(special));
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
