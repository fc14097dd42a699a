// "SPI Hyper Terminal" page of the settings sheet: the op-code the target uses (Normal/Fast Read,
// optionally Page Program, or a dedicated one), the look-up and check-point files with their
// recent paths, check-point translation, the text colours and the port. apply() gives the
// choices; the feature checks and stores them when the sheet is confirmed.
#pragma once

#include <QWidget>

#include <array>
#include <functional>
#include <string>

#include "TerminalSettings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zel::gui {

class Prompter;

class TerminalSettingsPage final : public QWidget {
    Q_OBJECT
public:
    // `chipMaker` names the maker of the selected chip (empty: none).
    TerminalSettingsPage(terminal_settings::TerminalSettings settings, Prompter& prompter,
                         std::function<std::string()> chipMaker, QWidget* parent = nullptr);

    terminal_settings::TerminalSettings apply() const;

private:
    QWidget* buildOpcodeBox();
    QWidget* buildFilesBox();
    QWidget* buildColoursBox();
    QWidget* buildPortBox();
    void chooseNormalRead();
    void chooseDedicated();
    void findFile(QComboBox* target);
    void pickColour(size_t kind);
    void showColour(size_t kind);

    terminal_settings::TerminalSettings settings_;
    Prompter& prompter_;
    std::function<std::string()> chipMaker_;
    QRadioButton *normalRead_, *dedicated_, *usb_, *comPort_;
    QLineEdit* opcode_;
    QCheckBox *pageProgram_, *translate_;
    QComboBox *lookUp_, *checkPoint_;
    QPushButton* findCheckPoint_;
    std::array<QPushButton*, 5> colourButtons_{};
};

}  // namespace zel::gui
