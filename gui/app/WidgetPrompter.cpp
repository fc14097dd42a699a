#include "Prompter.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

#include "EmulatorState.h"
#include "SerialNumberDialog.h"
#include "dialogs/ChipSelectDialog.h"
#include "dialogs/LoadFileDialog.h"
#include "dialogs/core/BufferLimits.h"

namespace zel::gui {

void WidgetPrompter::inform(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QStringLiteral("Zelmor"), text);
}

void WidgetPrompter::warn(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, QStringLiteral("Zelmor"), text);
}

bool WidgetPrompter::ask(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Zelmor"), text, QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::filesystem::path> WidgetPrompter::chooseChip(QWidget* parent, const std::filesystem::path& configFolder,
                                                                const EmulatorState& state, bool generation2, int target) {
    const auto& current = state.targets[static_cast<size_t>(target)].chip;
    ChipSelectDialog dialog(ChipCatalogue::read(configFolder, bufferLimit(generation2)), generation2,
                            current ? QString::fromStdString(current->name) : QString(), parent);
    if (target == 1) dialog.setWindowTitle(dialog.windowTitle() + QStringLiteral(" (Flash 2)"));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const std::string name = dialog.chosenChip().toStdString();
    const auto chosen = lookupChip(configFolder, bufferLimit(generation2), name);
    if (!chosen) {  // its file went while the dialog was open; the chip stays as it was
        warn(parent, QString::fromStdString(chipNotFoundLine(name)));
        return std::nullopt;
    }
    return chosen->file;
}

std::optional<ImageChoice> WidgetPrompter::chooseImage(QWidget* parent, const EmulatorState& state, int target) {
    const TargetState& slot = state.targets[static_cast<size_t>(target)];
    LoadFileChoice previous;
    previous.path = slot.image.string();
    previous.format = formatFromName(slot.format);
    previous.truncate = state.download.truncate;
    previous.fillValue = state.download.fillByte;
    QStringList history;
    for (const auto& path : state.history) history << QString::fromStdString(path.string());
    LoadFileDialog dialog(previous, history, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.choice().path.empty()) return std::nullopt;
    const LoadFileChoice& chosen = dialog.choice();
    return ImageChoice{chosen.path, chosen.truncate, chosen.format, chosen.fillValue};
}

std::optional<std::filesystem::path> WidgetPrompter::chooseSaveFile(QWidget* parent, const QString& filter) {
    const QString file = QFileDialog::getSaveFileName(parent, QString(), QString(), filter);
    if (file.isEmpty()) return std::nullopt;
    return std::filesystem::path(file.toStdString());
}

std::optional<std::filesystem::path> WidgetPrompter::chooseOpenFile(QWidget* parent, const QString& filter) {
    const QString file = QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
    if (file.isEmpty()) return std::nullopt;
    return std::filesystem::path(file.toStdString());
}

bool WidgetPrompter::confirm(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Zelmor"), text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    return box.exec() == QMessageBox::Ok;
}

std::optional<std::filesystem::path> WidgetPrompter::chooseFirmware(QWidget* parent, bool generation2) {
    const QString chosen = generation2
        ? QFileDialog::getOpenFileName(parent, QStringLiteral("Firmware"), QString(),
                                       QStringLiteral("ZelmorPro-G2 Firmware (*.vkfw)"))
        : QFileDialog::getExistingDirectory(parent, QStringLiteral("Firmware Folder"));
    if (chosen.isEmpty()) return std::nullopt;
    return std::filesystem::path(chosen.toStdString());
}

std::optional<std::uint32_t> WidgetPrompter::chooseSerialNumber(QWidget* parent, const QString& emulator) {
    help::SerialNumberDialog dialog(emulator, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.serialNumber();
}

std::optional<std::uint32_t> WidgetPrompter::chooseColour(QWidget* parent, std::uint32_t current) {
    const QColor colour = QColorDialog::getColor(QColor::fromRgb(current), parent);
    if (!colour.isValid()) return std::nullopt;
    return colour.rgb() & 0xFFFFFF;
}

}  // namespace zel::gui
