// Every question and message box the windows put to the user, behind one interface so that the
// tests answer them without a modal loop; WidgetPrompter shows the real dialogs.
#pragma once

#include <QString>

#include <cstdint>
#include <filesystem>
#include <optional>

class QWidget;

namespace zel::gui {

struct EmulatorState;
struct ImageChoice;

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual void inform(QWidget* parent, const QString& text) = 0;
    virtual void warn(QWidget* parent, const QString& text) = 0;
    // A Yes/No question (information icon); true for Yes.
    virtual bool ask(QWidget* parent, const QString& text) = 0;
    // A chip configuration file for the target (0 or 1); nothing when cancelled. The choice
    // starts at the target's current chip; a G2 emulator's buffer takes larger chips.
    virtual std::optional<std::filesystem::path> chooseChip(QWidget* parent, const std::filesystem::path& configFolder,
                                                            const EmulatorState& state, bool generation2, int target) = 0;
    // An image file for the target; nothing when cancelled.
    virtual std::optional<ImageChoice> chooseImage(QWidget* parent, const EmulatorState& state, int target) = 0;
    virtual std::optional<std::filesystem::path> chooseSaveFile(QWidget* parent, const QString& filter) = 0;
    // An existing file to open; nothing when cancelled.
    virtual std::optional<std::filesystem::path> chooseOpenFile(QWidget* parent, const QString& filter) = 0;
    // An OK/Cancel question (warning icon); true for OK.
    virtual bool confirm(QWidget* parent, const QString& text) = 0;
    // A G2 firmware container (*.vkfw) or, for the first generation, a firmware folder; nothing
    // when cancelled.
    virtual std::optional<std::filesystem::path> chooseFirmware(QWidget* parent, bool generation2) = 0;
    // The factory page: a serial number for the emulator `emulator` names; nothing when closed.
    virtual std::optional<std::uint32_t> chooseSerialNumber(QWidget* parent, const QString& emulator) = 0;
    // A colour (0xRRGGBB) starting at `current`; nothing when cancelled.
    virtual std::optional<std::uint32_t> chooseColour(QWidget*, std::uint32_t /*current*/) { return {}; }
};

class WidgetPrompter final : public Prompter {
public:
    void inform(QWidget* parent, const QString& text) override;
    void warn(QWidget* parent, const QString& text) override;
    bool ask(QWidget* parent, const QString& text) override;
    std::optional<std::filesystem::path> chooseChip(QWidget* parent, const std::filesystem::path& configFolder,
                                                    const EmulatorState& state, bool generation2, int target) override;
    std::optional<ImageChoice> chooseImage(QWidget* parent, const EmulatorState& state, int target) override;
    std::optional<std::filesystem::path> chooseSaveFile(QWidget* parent, const QString& filter) override;
    std::optional<std::filesystem::path> chooseOpenFile(QWidget* parent, const QString& filter) override;
    bool confirm(QWidget* parent, const QString& text) override;
    std::optional<std::filesystem::path> chooseFirmware(QWidget* parent, bool generation2) override;
    std::optional<std::uint32_t> chooseSerialNumber(QWidget* parent, const QString& emulator) override;
    std::optional<std::uint32_t> chooseColour(QWidget* parent, std::uint32_t current) override;
};

}  // namespace zel::gui
