// The "Configure Setting" sheet: a page list beside the pages. It starts empty; each feature
// adds its page with addPage() when the sheet is built.
#pragma once

#include <QDialog>

class QListWidget;
class QStackedWidget;

namespace zel::gui {

class SettingsSheet final : public QDialog {
    Q_OBJECT
public:
    explicit SettingsSheet(QWidget* parent = nullptr);
    void addPage(const QString& title, QWidget* page);
    int pageCount() const;

private:
    QListWidget* pageList_;
    QStackedWidget* pages_;
};

}  // namespace zel::gui
