// "Vcc Setting": a supply chosen by hand (3.3 V, 2.5 V or 1.8 V) that replaces the chip's after
// every chip configuration. The radios follow the check box.
#pragma once

#include <QWidget>

#include "ManualSupply.h"

class QCheckBox;
class QRadioButton;

namespace zel::gui::pins {

class VccSettingsPage final : public QWidget {
    Q_OBJECT
public:
    explicit VccSettingsPage(const ManualSupply& supply, QWidget* parent = nullptr);
    ManualSupply choice() const;

private:
    QCheckBox* manual_;
    QRadioButton* v33_;
    QRadioButton* v25_;
    QRadioButton* v18_;
};

}  // namespace zel::gui::pins
