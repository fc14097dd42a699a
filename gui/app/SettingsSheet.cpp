#include "SettingsSheet.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace zel::gui {

SettingsSheet::SettingsSheet(QWidget* parent)
    : QDialog(parent), pageList_(new QListWidget(this)), pages_(new QStackedWidget(this)) {
    setObjectName(QStringLiteral("settingsSheet"));
    setWindowTitle(QStringLiteral("Configure Setting"));
    pageList_->setObjectName(QStringLiteral("settingsPageList"));
    auto* body = new QHBoxLayout;
    body->addWidget(pageList_);
    body->addWidget(pages_, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(pageList_, &QListWidget::currentRowChanged, pages_, &QStackedWidget::setCurrentIndex);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(buttons);
    resize(640, 380);
}

void SettingsSheet::addPage(SettingsPageSlot slot, const QString& title, QWidget* page) {
    const auto at = std::upper_bound(slots_.begin(), slots_.end(), slot);
    const int row = static_cast<int>(at - slots_.begin());
    slots_.insert(at, slot);
    pages_->insertWidget(row, page);
    pageList_->insertItem(row, title);
    pageList_->setCurrentRow(0);
    // As wide as the longest title, so no page name is cut off.
    const int titleWidth = pageList_->sizeHintForColumn(0) + 2 * pageList_->frameWidth() + 8;
    pageList_->setFixedWidth(std::min(std::max(titleWidth, 120), 220));
}

int SettingsSheet::pageCount() const { return pages_->count(); }

void SettingsSheet::accept() {
    for (const auto& check : checks_)
        if (!check()) return;
    QDialog::accept();
}

}  // namespace zel::gui
