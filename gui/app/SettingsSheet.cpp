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

void SettingsSheet::addPage(const QString& title, QWidget* page) {
    pages_->addWidget(page);
    pageList_->addItem(title);
    if (pageList_->count() == 1) pageList_->setCurrentRow(0);
    // As wide as the longest title, so no page name is cut off.
    const int titleWidth = pageList_->sizeHintForColumn(0) + 2 * pageList_->frameWidth() + 8;
    pageList_->setFixedWidth(std::min(std::max(titleWidth, 120), 220));
}

int SettingsSheet::pageCount() const { return pages_->count(); }

}  // namespace zel::gui
