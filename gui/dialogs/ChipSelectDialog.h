// "Manually Select Memory Type": the user picks the chip the emulator impersonates, by maker,
// optionally from the chips that carry an SFDP table. The dialog only chooses; applying the chip
// is the caller's.
//
// Object names (for tests and callers):
//   makerList    manufacturers, "<ALL>" first
//   chipList     the selected maker's chips
//   filterList   the SFDP filter's result
//   filterNone   radio "None"
//   filterSfdp   radio "SFDP supported devices"
//   buttonBox    OK and Cancel
// Every chip item keeps the chip's real name as item data (Qt::UserRole).
//
// Use: read the catalogue when the dialog is to open, and look the choice up again after OK (a
// file may have gone meanwhile); a miss is reported and the selected chip stays as it was:
//   const auto folder = chipcfg::configFolder(programFolder, chipcfg::ProductLine::ZelmorPro);
//   ChipSelectDialog dialog(ChipCatalogue::read(folder, bufferLimit(g2)), g2, currentChip, this);
//   if (dialog.exec() == QDialog::Accepted) {
//       if (auto chip = lookupChip(folder, bufferLimit(g2), dialog.chosenChip().toStdString()))
//           ... apply chip->file ...
//       else
//           ... log chipNotFoundLine(dialog.chosenChip().toStdString()) ...
//   }
// With no emulator attached, pass g2Device = true to offer every chip up to the largest buffer.
#pragma once

#include <QDialog>
#include <QString>

#include <optional>

#include "dialogs/core/ChipCatalogue.h"

class QDialogButtonBox;
class QListWidget;
class QListWidgetItem;
class QRadioButton;

namespace zel::gui {

class ChipSelectDialog : public QDialog {
    Q_OBJECT

public:
    // The catalogue is limited here to the chips the device's host buffer can hold (256 MiB on a
    // G2, 64 MiB otherwise). The lists open on the current chip's maker and the current chip.
    ChipSelectDialog(const ChipCatalogue& catalogue, bool g2Device, const QString& currentChip,
                     QWidget* parent = nullptr);

    // The chosen chip's real name (never the "-SFDP" display text); empty when none is chosen.
    QString chosenChip() const;
    QString chosenMaker() const;
    // The chosen chip's catalogue entry (file, size, voltage); none when none is chosen.
    std::optional<CatalogueChip> chosen() const;

private:
    void buildLayout();
    void fillMakers(const QString& currentChip);
    void showMaker(const QString& maker);
    void fillSfdpFilter();
    void chooseItem(const QListWidgetItem* item);

    ChipCatalogue catalogue_;
    QString maker_;
    QString chip_;
    QListWidget* makerList_ = nullptr;
    QListWidget* chipList_ = nullptr;
    QListWidget* filterList_ = nullptr;
    QRadioButton* filterNone_ = nullptr;
    QRadioButton* filterSfdp_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace zel::gui
