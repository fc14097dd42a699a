// The "Configure Setting" sheet: a page list beside the pages. It starts empty; each feature
// adds its page with addPage() when the sheet is built, at its slot, so the pages stand in the
// same order whichever feature is set up first. Checks added with addAcceptCheck() run when the
// sheet is confirmed; one that refuses (and has told the user why) keeps the sheet open.
#pragma once

#include <QDialog>

#include <functional>
#include <vector>

class QListWidget;
class QStackedWidget;

namespace zel::gui {

enum class SettingsPageSlot { Batch, Trace, Terminal, Pins, Rpmc, Miscellaneous, Vcc };

class SettingsSheet final : public QDialog {
    Q_OBJECT
public:
    explicit SettingsSheet(QWidget* parent = nullptr);
    void addPage(SettingsPageSlot slot, const QString& title, QWidget* page);
    int pageCount() const;
    // True lets the sheet close; false keeps it open.
    void addAcceptCheck(std::function<bool()> check) { checks_.push_back(std::move(check)); }
    void accept() override;

private:
    QListWidget* pageList_;
    QStackedWidget* pages_;
    std::vector<SettingsPageSlot> slots_;
    std::vector<std::function<bool()>> checks_;
};

}  // namespace zel::gui
