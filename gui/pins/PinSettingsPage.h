// "Pin Settings": the reset pin, who drives MISO, the hold pin's state while emulating and, on a
// G2 emulator, the chip-select mode. It shows the current choices; choices() reads them back.
#pragma once

#include <QWidget>

#include "EmulatorState.h"

class QCheckBox;
class QRadioButton;

namespace zel::gui::pins {

class PinSettingsPage final : public QWidget {
    Q_OBJECT
public:
    PinSettingsPage(const PinSettings& pins, bool generation2, QWidget* parent = nullptr);

    // `pins_` with the page's choices taken (the address mode is not the page's).
    PinSettings choices() const;

private:
    QWidget* resetGroup();
    QWidget* misoGroup();
    QWidget* holdGroup();
    QWidget* chipSelectGroup();

    PinSettings pins_;
    QCheckBox* resetPin_ = nullptr;
    QRadioButton* misoByFpga_ = nullptr;
    QRadioButton* misoByBuffer_ = nullptr;
    QRadioButton* holdLow_ = nullptr;
    QRadioButton* holdInput_ = nullptr;
    QRadioButton* holdFloating_ = nullptr;
    QRadioButton* chipSelect0_ = nullptr;
    QRadioButton* chipSelect1_ = nullptr;
};

}  // namespace zel::gui::pins
