#include "Prompter.h"

#include <QFileDialog>
#include <QMessageBox>

#include "EmulatorState.h"

namespace zel::gui {
namespace {

std::optional<std::filesystem::path> chosen(const QString& file) {
    if (file.isEmpty()) return std::nullopt;
    return std::filesystem::path(file.toStdString());
}

}  // namespace

void WidgetPrompter::inform(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QStringLiteral("Zelmor"), text);
}

void WidgetPrompter::warn(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, QStringLiteral("Zelmor"), text);
}

std::optional<std::filesystem::path> WidgetPrompter::chooseChip(QWidget* parent, const std::filesystem::path& configFolder,
                                                                int target) {
    const QString title = target == 0 ? QStringLiteral("Select Chip") : QStringLiteral("Select Chip for Flash 2");
    return chosen(QFileDialog::getOpenFileName(parent, title, QString::fromStdString(configFolder.string()),
                                               QStringLiteral("Chip Configuration (*.cfg)")));
}

std::optional<std::filesystem::path> WidgetPrompter::chooseImage(QWidget* parent, const EmulatorState& state, int target) {
    const auto& current = state.targets[static_cast<size_t>(target)].image;
    const QString start = current.empty() && !state.history.empty() ? QString::fromStdString(state.history.front().string())
                                                                     : QString::fromStdString(current.string());
    return chosen(QFileDialog::getOpenFileName(
        parent, QStringLiteral("Load File"), start,
        QStringLiteral("Binary File (*.bin);;Intel Hex Files (*.hex);;Motorola Hex Files (*.s19);;ROM Files (*.rom);;All Files (*)")));
}

std::optional<std::filesystem::path> WidgetPrompter::chooseSaveFile(QWidget* parent, const QString& filter) {
    return chosen(QFileDialog::getSaveFileName(parent, QString(), QString(), filter));
}

}  // namespace zel::gui
