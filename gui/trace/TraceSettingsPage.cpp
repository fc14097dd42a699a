#include "TraceSettingsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "Prompter.h"

namespace zel::gui::trace {

TraceSettingsPage::TraceSettingsPage(CaptureOptions options, Prompter& prompter, QWidget* parent)
    : QWidget(parent), options_(std::move(options)), prompter_(prompter) {
    setObjectName(QStringLiteral("traceSettingsPage"));
    auto* box = new QGroupBox(QStringLiteral("SPI Trace"), this);
    continuous_ = new QCheckBox(QStringLiteral("Enable saving all the SPI trace to file continuously during SPI tracing"), box);
    continuous_->setObjectName(QStringLiteral("continuousSaveCheck"));
    path_ = new QComboBox(box);
    path_->setObjectName(QStringLiteral("traceFileCombo"));
    path_->setEditable(true);
    path_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    for (const auto& entry : options_.recentPaths) path_->addItem(QString::fromStdString(entry));
    if (path_->count() > 0) path_->setCurrentIndex(0);
    find_ = new QPushButton(QStringLiteral("Save to.."), box);
    find_->setObjectName(QStringLiteral("traceFileFindButton"));
    connect(find_, &QPushButton::clicked, this, &TraceSettingsPage::findFile);
    connect(continuous_, &QCheckBox::toggled, this, &TraceSettingsPage::enablePath);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(path_, 1);
    pathRow->addWidget(find_);
    auto* inner = new QVBoxLayout(box);
    inner->addWidget(continuous_);
    inner->addLayout(pathRow);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addStretch(1);
    continuous_->setChecked(options_.continuous);
    enablePath(options_.continuous);
}

void TraceSettingsPage::enablePath(bool on) {
    path_->setEnabled(on);
    find_->setEnabled(on);
}

void TraceSettingsPage::findFile() {
    const auto file = prompter_.chooseSaveFile(this, QStringLiteral("Txt File (*.txt)"));
    if (file) path_->setEditText(QString::fromStdString(file->string()));
}

CaptureOptions TraceSettingsPage::apply() const {
    CaptureOptions options = options_;
    options.choose(continuous_->isChecked(), path_->currentText().toStdString());
    return options;
}

}  // namespace zel::gui::trace
