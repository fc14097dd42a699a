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

std::string narrow(const std::wstring& text) { return text::wideToUtf8(text); }
std::wstring wide(const std::string& text) { return text::utf8ToWide(text); }

// Flags are written "Yes"/"No"; "1" is read too, as some writers used it.
bool readFlag(const GuiSettings& settings, std::string_view key) {
    const std::wstring text = settings.get(key);
    return text == L"1" || settings::parseBool(text);
}

// The stored colours in TextKind order (check point, hex, ASCII, time, look-up).
constexpr std::array<std::string_view, 5> kColourKeys = {keys::kSpiHyperTerminalCkpRgb, keys::kSpiHyperTerminalHexRgb,
                                                         keys::kSpiHyperTerminalAsciiRgb, keys::kSpiHyperTerminalTimeRgb,
                                                         keys::kSpiHyperTerminalLookupRgb};

std::vector<std::string> pathsOf(const GuiSettings& settings, std::string_view key) {
    return PathHistory::fromJoined(narrow(settings.get(key))).paths();
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
    read.dedicated = readFlag(settings, keys::kSpiHyperOption);
    read.pageProgram = readFlag(settings, keys::kSpiHyperOptionCheckPP);
    read.opcode = parseOpcodeText(narrow(settings.get(keys::kSpiHyperDedicateCommand))).value_or(kFallbackOpcode);
    read.usb = settings.get(keys::kSpiHyperByUsb).empty() || readFlag(settings, keys::kSpiHyperByUsb);
    read.lookUpFile = narrow(settings.get(keys::kLastLoadedLookUpFile));
    read.checkPointFile = narrow(settings.get(keys::kLastLoadedCkpFile));
    read.lookUpPaths = pathsOf(settings, keys::kSavedLookUpPaths);
    read.checkPointPaths = pathsOf(settings, keys::kSavedCkpPaths);
    read.translateCheckPoints = readFlag(settings, keys::kRequireCheckPointTranslation);
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
    update.set(keys::kLastLoadedLookUpFile, wide(lookUpFile));
    update.set(keys::kLastLoadedCkpFile, wide(checkPointFile));
    update.set(keys::kSavedLookUpPaths, wide(PathHistory(lookUpPaths).joined()));
    update.set(keys::kSavedCkpPaths, wide(PathHistory(checkPointPaths).joined()));
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
    const auto value = settings::parseHex(wide(std::string(text)));
    if (!value) return std::nullopt;
    return static_cast<std::uint8_t>(*value & 0xFF);
}

}  // namespace zel::gui::terminal_settings
