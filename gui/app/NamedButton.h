// A push button the tests and screenshots find by object name; it never takes Return from the
// dialog's edits (the dialogs here have no default action).
#pragma once

#include <QPushButton>

namespace zel::gui {

inline QPushButton* namedButton(const QString& text, const char* name, QWidget* parent) {
    auto* made = new QPushButton(text, parent);
    made->setObjectName(QString::fromLatin1(name));
    made->setAutoDefault(false);
    return made;
}

}  // namespace zel::gui
