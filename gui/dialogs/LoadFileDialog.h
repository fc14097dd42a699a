// "Load File": which image file to load into the host buffer, its format, the rule for a file
// larger than the chip and the buffer's fill value. The load itself is ImageLoadJob's.
//
// Object names (for tests and callers):
//   formatRawBin, formatIntelHex, formatMotorolaS19, formatRom   the " Program as " radios
//   pathCombo       "File Path:" (editable; lists the path history; completes file-system paths)
//   findButton      "Find"
//   truncateRadio   "Truncate"
//   dontAllowRadio  "Don't Allow"
//   fillValueEdit   "Fill buffer with" (hexadecimal byte)
//   buttonBox       OK and Cancel (OK is disabled while the fill value is not a hexadecimal byte)
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>

#include "dialogs/core/LoadFileChoice.h"
#include "dialogs/core/PathHistory.h"

class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QRadioButton;

namespace zel::gui {

class LoadFileDialog : public QDialog {
    Q_OBJECT

public:
    // Asks for an existing image file, starting at the current path; empty when cancelled.
    using FileChooser = std::function<QString(QWidget* parent, const QString& currentPath)>;

    LoadFileDialog(const LoadFileChoice& previous, const QStringList& pathHistory, QWidget* parent = nullptr);

    // The choice as the controls show it.
    LoadFileChoice choice() const;
    // The history with the chosen path moved to the front once the dialog is accepted; as given
    // before that.
    QStringList pathHistory() const;

    // Replaces the file dialog behind "Find" (tests answer without a window).
    void setFileChooser(FileChooser chooser);
    // Qt's file dialog with the image filters, the one matching the current path's extension
    // selected.
    static QString askForImageFile(QWidget* parent, const QString& currentPath);

    void accept() override;

private:
    void buildLayout();
    void showChoice(const LoadFileChoice& choice);
    void find();
    void selectFormat(ImageFileFormat format);
    ImageFileFormat checkedFormat() const;
    void updateOk();

    PathHistory history_;
    FileChooser chooseFile_;
    QRadioButton* formatRadios_[4] = {};
    QComboBox* pathCombo_ = nullptr;
    QRadioButton* truncate_ = nullptr;
    QRadioButton* dontAllow_ = nullptr;
    QLineEdit* fillValue_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace zel::gui
