// "Miscellaneous Settings": whether the emulator takes commands with 4-byte addresses. The box is
// disabled and unchecked for a chip that cannot use them.
#pragma once

#include <QWidget>

class QCheckBox;

namespace zel::gui::pins {

class AddressModePage final : public QWidget {
    Q_OBJECT
public:
    AddressModePage(bool fourByteMode, bool chipTakesFourByte, QWidget* parent = nullptr);
    bool fourByteMode() const;

private:
    QCheckBox* fourByte_;
};

}  // namespace zel::gui::pins
