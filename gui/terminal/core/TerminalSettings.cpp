#include "TerminalSettings.h"

#include "dialogs/core/PathHistory.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsValues.h"
#include "terminal/CodeTable.h"
#include "terminal/OpcodeVeto.h"
#include "text/TextCodec.h"

#include <array>

namespace zel::gui::terminal_settings {
namespace {

namespace keys = settings::keys;

// The stored colours in TextKind order (check point, hex, ASCII, time, look-up).
constexpr std::array<std::string_view, 5> kColourKeys = {keys::kSpiHyperTerminalCkpRgb, keys::kSpiHyperTerminalHexRgb,
                                                         keys::kSpiHyperTerminalAsciiRgb, keys::kSpiHyperTerminalTimeRgb,
                                                         keys::kSpiHyperTerminalLookupRgb};

std::vector<std::string> pathsOf(const GuiSettings& settings, std::string_view key) {
    return PathHistory::fromJoined(settings.getUtf8(key)).paths();
}

std::vector<std::string> withFront(const std::vector<std::string>& paths, const std::string& chosen) {
    PathHistory history(paths);
    history.add(chosen);
    return history.paths();
}

terminal::CodeTable tableOf(const std::string& file, const char* what, std::vector<std::string>& problems) {
    if (file.empty()) return {};
    std::error_code error;
    if (auto table = terminal::CodeTable::load(file, error)) return std::move(*table);
    problems.push_back(std::string("Warning: the ") + what + " file " + file + " cannot be read: " + error.message());
    return {};
}

}  // namespace

TerminalSettings TerminalSettings::read(const GuiSettings& settings) {
    TerminalSettings read;
    read.dedicated = settings.getFlag(keys::kSpiHyperOption);
    read.pageProgram = settings.getFlag(keys::kSpiHyperOptionCheckPP);
    read.opcode = parseOpcodeText(settings.getUtf8(keys::kSpiHyperDedicateCommand)).value_or(kFallbackOpcode);
    read.usb = settings.get(keys::kSpiHyperByUsb).empty() || settings.getFlag(keys::kSpiHyperByUsb);
    read.lookUpFile = settings.getUtf8(keys::kLastLoadedLookUpFile);
    read.checkPointFile = settings.getUtf8(keys::kLastLoadedCkpFile);
    read.lookUpPaths = pathsOf(settings, keys::kSavedLookUpPaths);
    read.checkPointPaths = pathsOf(settings, keys::kSavedCkpPaths);
    read.translateCheckPoints = settings.getFlag(keys::kRequireCheckPointTranslation);
    for (size_t kind = 0; kind < kColourKeys.size(); ++kind)
        if (auto rgb = settings::parseHex(settings.get(kColourKeys[kind]))) read.colours.rgb[kind] = *rgb & 0xFFFFFF;
    return read;
}

void TerminalSettings::chooseFiles(const std::string& lookUp, const std::string& checkPoint) {
    lookUpFile = lookUp;
    checkPointFile = checkPoint;
    lookUpPaths = withFront(lookUpPaths, lookUp);
    checkPointPaths = withFront(checkPointPaths, checkPoint);
}

settings::SettingsUpdate TerminalSettings::changes() const {
    settings::SettingsUpdate update;
    update.setBool(keys::kSpiHyperOption, dedicated);
    update.setBool(keys::kSpiHyperOptionCheckPP, pageProgram);
    update.set(keys::kSpiHyperDedicateCommand, settings::formatHex(opcode));
    update.setBool(keys::kSpiHyperByUsb, usb);
    update.set(keys::kLastLoadedLookUpFile, text::utf8ToWide(lookUpFile));
    update.set(keys::kLastLoadedCkpFile, text::utf8ToWide(checkPointFile));
    update.set(keys::kSavedLookUpPaths, text::utf8ToWide(PathHistory(lookUpPaths).joined()));
    update.set(keys::kSavedCkpPaths, text::utf8ToWide(PathHistory(checkPointPaths).joined()));
    update.setBool(keys::kRequireCheckPointTranslation, translateCheckPoints);
    for (size_t kind = 0; kind < kColourKeys.size(); ++kind)
        update.set(kColourKeys[kind], settings::formatHex(colours.rgb[kind]));
    return update;
}

std::optional<std::uint8_t> TerminalSettings::dedicatedOpcode() const {
    return dedicated ? std::optional<std::uint8_t>(opcode) : std::nullopt;
}

std::optional<std::string> TerminalSettings::opcodeProblem(std::string_view maker) const {
    if (dedicated && terminal::opcodeUsedByMaker(maker, opcode)) return std::string(terminal::kOpcodeInUse);
    return std::nullopt;
}

terminal::Tables TerminalSettings::loadTables(std::vector<std::string>& problems) const {
    terminal::Tables tables;
    tables.lookUp = tableOf(lookUpFile, "look-up table", problems);
    tables.translateCheckPoints = translateCheckPoints;
    if (translateCheckPoints) tables.checkPoints = tableOf(checkPointFile, "check-point", problems);
    return tables;
}

std::optional<std::uint8_t> parseOpcodeText(std::string_view text) {
    const auto value = settings::parseHex(text::utf8ToWide(std::string(text)));
    if (!value) return std::nullopt;
    return static_cast<std::uint8_t>(*value & 0xFF);
}

}  // namespace zel::gui::terminal_settings
