#include "SettingsSheet.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace zel::gui {

SettingsSheet::SettingsSheet(QWidget* parent)
    : QDialog(parent), pageList_(new QListWidget(this)), pages_(new QStackedWidget(this)) {
    setObjectName(QStringLiteral("settingsSheet"));
    setWindowTitle(QStringLiteral("Configure Setting"));
    pageList_->setObjectName(QStringLiteral("settingsPageList"));
    pageList_->setMaximumWidth(180);
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
    resize(560, 380);
}

void SettingsSheet::addPage(const QString& title, QWidget* page) {
    pages_->addWidget(page);
    pageList_->addItem(title);
    if (pageList_->count() == 1) pageList_->setCurrentRow(0);
}

int SettingsSheet::pageCount() const { return pages_->count(); }

}  // namespace zel::gui
