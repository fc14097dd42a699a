#include "TraceViewerDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

#include "GuiSettings.h"
#include "Prompter.h"
#include "TraceRowsModel.h"
#include "TraceSaveJob.h"
#include "WaveformExport.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsValues.h"

namespace zel::gui::trace {
namespace {

constexpr const char* kConditionNames[11] = {
    "Write Enable(0x06)", "Write Disable(0x04)", "Read Status Register(0x05)", "Write Status Register(0x01)",
    "Normal Read(0x03)",  "Fast Read(0x0B)",     "Page Program(0x02)",         "Sector Erase(0xD8)",
    "Chip Erase(0xC7)",   "Chip Erase(0x60)",    "Read ID(0x9F)"};
constexpr int kSaveRefreshMs = 20;
const QString kStopQuestion = QStringLiteral("SPI Trace data is being saved.\nDo you want to stop it?");

QLineEdit* hexEdit(QWidget* parent, const char* name, int digits) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(digits);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]*")), edit));
    return edit;
}

QPushButton* makeButton(QWidget* parent, const QString& text, const char* name) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TraceViewerDialog::TraceViewerDialog(TraceViewerSetup setup, QWidget* parent)
    : QDialog(parent),
      setup_(std::move(setup)),
      context_(setup_.tables.context(setup_.generation2, setup_.chipSize, false)),
      model_(new TraceRowsModel(this)),
      table_(new QTableView(this)),
      scroll_(new QScrollBar(Qt::Vertical, this)),
      saveTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("traceViewer"));
    setWindowTitle(QStringLiteral("SPI Trace Viewer"));
    browser_ = std::make_unique<TraceBrowser>(setup_.trace, context_);

    table_->setObjectName(QStringLiteral("traceList"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->viewport()->installEventFilter(this);
    table_->setFont(QFont(QStringLiteral("DejaVu Sans Mono")));
    // DATA holds a line of 16 bytes whole; the others keep their classic widths.
    const int dataWidth = std::max(300, table_->fontMetrics().horizontalAdvance(QStringLiteral("00 ")) * 16 + 16);
    const int widths[] = {100, 50, 40, 80, dataWidth};
    for (int column = 0; column < TraceRowsModel::ColumnCount; ++column) table_->setColumnWidth(column, widths[column]);
    scroll_->setObjectName(QStringLiteral("traceScrollBar"));
    connect(scroll_, &QScrollBar::valueChanged, this, &TraceViewerDialog::showPage);
    connect(saveTimer_, &QTimer::timeout, this, &TraceViewerDialog::pollSave);

    auto* list = new QHBoxLayout;
    list->setSpacing(0);
    list->addWidget(table_, 1);
    list->addWidget(scroll_);
    auto* side = new QVBoxLayout;
    side->addWidget(buildFilters());
    side->addWidget(buildButtons());
    side->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(list, 1);
    layout->addLayout(side);

    const FilterOptions& stored = setup_.filter;
    for (size_t i = 0; i < conditions_.size(); ++i) conditions_[i]->setChecked(stored.conditions >> i & 1);
    start_->setText(QString::fromStdString(stored.start));
    end_->setText(QString::fromStdString(stored.end));
    special_->setText(QString::fromStdString(stored.special));
    mask_->setChecked(stored.mask);
    setScrollRange();
    showPage();
    updateButtons();
    resize(1240, 640);
}

TraceViewerDialog::~TraceViewerDialog() = default;

QWidget* TraceViewerDialog::buildFilters() {
    auto* box = new QGroupBox(QStringLiteral("Filter"), this);
    auto* grid = new QGridLayout;
    for (size_t i = 0; i < conditions_.size(); ++i) {
        conditions_[i] = new QCheckBox(QString::fromLatin1(kConditionNames[i]), box);
        conditions_[i]->setObjectName(QStringLiteral("filterCondition%1").arg(i));
        connect(conditions_[i], &QCheckBox::toggled, this, &TraceViewerDialog::updateButtons);
        grid->addWidget(conditions_[i], static_cast<int>(i) / 2, static_cast<int>(i) % 2);
    }
    start_ = hexEdit(box, "filterStartEdit", 6);
    end_ = hexEdit(box, "filterEndEdit", 6);
    special_ = hexEdit(box, "filterSpecialEdit", 2);
    connect(special_, &QLineEdit::textChanged, this, &TraceViewerDialog::updateButtons);
    mask_ = new QCheckBox(QStringLiteral("Mask Non Significant Address Bits"), box);
    mask_->setObjectName(QStringLiteral("filterMaskCheck"));
    auto* range = new QFormLayout;
    range->addRow(QStringLiteral("Start: 0x"), start_);
    range->addRow(QStringLiteral("End: 0x"), end_);
    range->addRow(QStringLiteral("Others: 0x"), special_);
    auto* layout = new QVBoxLayout(box);
    layout->addLayout(grid);
    layout->addLayout(range);
    layout->addWidget(mask_);
    return box;
}

QWidget* TraceViewerDialog::buildButtons() {
    auto* panel = new QWidget(this);
    filterButton_ = makeButton(panel, QStringLiteral("Start Filtering"), "startFilteringButton");
    displayAll_ = makeButton(panel, QStringLiteral("Display All"), "displayAllButton");
    clearLog_ = makeButton(panel, QStringLiteral("Clear Log"), "clearLogButton");
    translation_ = makeButton(panel, QStringLiteral("Translation.."), "translationButton");
    saveTrace_ = makeButton(panel, QStringLiteral("Save Trace"), "viewerSaveTraceButton");
    saveResult_ = makeButton(panel, QStringLiteral("Save Result"), "saveResultButton");
    export_ = makeButton(panel, QStringLiteral("Export..."), "exportButton");
    export_->setToolTip(QStringLiteral("The captured trace as a sigrok session (.sr) or a VCD file (.vcd)"));
    find_ = hexEdit(panel, "findAddressEdit", 8);
    find_->setPlaceholderText(QStringLiteral("address"));
    findButton_ = makeButton(panel, QStringLiteral("Find Next"), "findAddressButton");
    findButton_->setToolTip(QStringLiteral("The next transaction whose address range covers this address"));
    progress_ = new QLabel(panel);
    progress_->setObjectName(QStringLiteral("saveProgressLabel"));
    connect(filterButton_, &QPushButton::clicked, this, &TraceViewerDialog::startFiltering);
    connect(displayAll_, &QPushButton::clicked, this, &TraceViewerDialog::displayAll);
    connect(clearLog_, &QPushButton::clicked, this, [this] { model_->showRows({}); });
    connect(translation_, &QPushButton::clicked, this, &TraceViewerDialog::toggleTranslation);
    connect(saveTrace_, &QPushButton::clicked, this, &TraceViewerDialog::saveTrace);
    connect(saveResult_, &QPushButton::clicked, this, &TraceViewerDialog::saveResult);
    connect(export_, &QPushButton::clicked, this, &TraceViewerDialog::exportWaveform);
    connect(findButton_, &QPushButton::clicked, this, &TraceViewerDialog::findAddress);
    connect(find_, &QLineEdit::textChanged, this, [this] { lastFound_ = 0; });

    auto* grid = new QGridLayout(panel);
    grid->addWidget(filterButton_, 0, 0);
    grid->addWidget(displayAll_, 0, 1);
    grid->addWidget(clearLog_, 1, 0);
    grid->addWidget(translation_, 1, 1);
    grid->addWidget(saveTrace_, 2, 0);
    grid->addWidget(saveResult_, 2, 1);
    grid->addWidget(find_, 3, 0);
    grid->addWidget(findButton_, 3, 1);
    grid->addWidget(export_, 4, 0);
    grid->addWidget(progress_, 4, 1);
    return panel;
}

void TraceViewerDialog::setScrollRange() {
    const std::uint32_t range = browser_->scrollRange();
    scroll_->setRange(0, range == 0 ? 0 : static_cast<int>(range - 1));
    scroll_->setPageStep(static_cast<int>(kPageRecords / 2));
    scroll_->setVisible(range > 0);  // an empty buffer: the list at its full size
}

void TraceViewerDialog::showPage() {
    model_->showRows(browser_->page(static_cast<std::uint32_t>(scroll_->value()), kPageRecords));
}

bool TraceViewerDialog::eventFilter(QObject* watched, QEvent* event) {
    // The list has no scroll bar of its own: the wheel moves the external one.
    if (watched == table_->viewport() && event->type() == QEvent::Wheel) {
        const int steps = static_cast<QWheelEvent*>(event)->angleDelta().y() / 120;
        scroll_->setValue(scroll_->value() - steps * 3);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

FilterOptions TraceViewerDialog::filterOptions() const {
    FilterOptions options;
    for (size_t i = 0; i < conditions_.size(); ++i)
        if (conditions_[i]->isChecked()) options.conditions |= static_cast<std::uint16_t>(1u << i);
    options.start = start_->text().toStdString();
    options.end = end_->text().toStdString();
    options.special = special_->text().toStdString();
    options.mask = mask_->isChecked();
    options.translate = context_.translate;
    return options;
}

void TraceViewerDialog::startFiltering() {
    const FilterOptions options = filterOptions();
    if (!browser_->filter(options.parsed(), options.mask)) {
        progress_->setText(QStringLiteral("No transaction matches."));
        return;
    }
    progress_->clear();
    lastFound_ = 0;
    setScrollRange();
    scroll_->setValue(0);
    showPage();
    updateButtons();
}

void TraceViewerDialog::displayAll() {
    browser_->showAll();
    lastFound_ = 0;
    setScrollRange();
    scroll_->setValue(0);
    showPage();
    updateButtons();
}

void TraceViewerDialog::toggleTranslation() {
    context_.translate = !context_.translate;
    browser_->setTranslate(context_.translate);
    translation_->setText(context_.translate ? QStringLiteral("Original..") : QStringLiteral("Translation.."));
    table_->setColumnWidth(TraceRowsModel::Command, context_.translate ? 200 : 40);
    showPage();
}

bool TraceViewerDialog::stopSavingAsked() {
    if (!job_) return false;
    if (setup_.prompter.ask(this, kStopQuestion)) job_->requestStop();
    return true;
}

void TraceViewerDialog::saveTrace() {
    if (stopSavingAsked()) return;
    const auto file = setup_.prompter.chooseSaveFile(this, QStringLiteral("Txt File (*.txt)"));
    if (!file) return;
    settings::SettingsUpdate update;
    update.set(settings::keys::kSpiCommandTranslation, settings::formatFlag(context_.translate));
    setup_.settings.write(update);
    setup_.log.log("Save Log into a File. Please wait....");
    startJob(std::make_unique<TraceSaveJob>(browser_->trace(), context_, *file), saveTrace_, QStringLiteral("Stop Saving"));
}

void TraceViewerDialog::saveResult() {
    if (stopSavingAsked()) return;
    if (!browser_->result()) return;
    const auto file = setup_.prompter.chooseSaveFile(this, QStringLiteral("Txt File (*.txt)"));
    if (!file) return;
    setup_.log.log("Save Log into a File. Please wait....");
    startJob(std::make_unique<TraceSaveJob>(browser_->result(), context_, *file), saveResult_, QStringLiteral("Stop Saving"));
}

void TraceViewerDialog::startJob(std::unique_ptr<TraceJob> job, QPushButton* button, const QString& stopCaption) {
    job_ = std::move(job);
    savingButton_ = button;
    savingCaption_ = button->text();
    button->setText(stopCaption);
    progress_->setText(QStringLiteral("0.0%"));
    job_->start();
    saveTimer_->start(kSaveRefreshMs);
    updateButtons();
}

void TraceViewerDialog::pollSave() {
    if (!job_) return;
    if (job_->running()) {
        progress_->setText(QString::fromStdString(job_->progressText()));
        return;
    }
    saveEnded();
}

void TraceViewerDialog::saveEnded() {
    saveTimer_->stop();
    job_->join();
    const QString outcome = QString::fromStdString(job_->outcome());
    setup_.log.log(job_->outcome());
    job_.reset();
    savingButton_->setText(savingCaption_);
    savingButton_ = nullptr;
    progress_->setText(outcome);
    updateButtons();
}

void TraceViewerDialog::findAddress() {
    bool ok = false;
    const std::uint32_t address = find_->text().toUInt(&ok, 16);
    if (!ok) return;
    auto found = browser_->findAddress(address, lastFound_);
    if (!found && lastFound_ != 0) found = browser_->findAddress(address, 0);  // from the top again
    if (!found) {
        progress_->setText(QStringLiteral("Address 0x%1 not found.").arg(address, 0, 16));
        return;
    }
    lastFound_ = found->transaction;
    progress_->setText(QStringLiteral("Transaction %1").arg(found->transaction));
    const QSignalBlocker quiet(scroll_);
    scroll_->setValue(static_cast<int>(found->position));
    model_->showRows(browser_->pageFrom(found->transaction, kPageRecords));
}

void TraceViewerDialog::exportWaveform() {
    if (stopSavingAsked()) return;
    const auto file = setup_.prompter.chooseSaveFile(
        this, QStringLiteral("Sigrok session (*.sr);;Value change dump (*.vcd)"));
    if (!file) return;
    startJob(std::make_unique<WaveformExportJob>(browser_->trace(), context_, *file), export_, QStringLiteral("Stop Export"));
}

void TraceViewerDialog::updateButtons() {
    const bool idle = job_ == nullptr;
    const bool hasRecords = browser_->trace().length > 0;
    const FilterOptions options = filterOptions();
    filterButton_->setEnabled(idle && hasRecords && options.parsed().active());
    for (QPushButton* button : {displayAll_, clearLog_, translation_, findButton_})
        button->setEnabled(idle && (hasRecords || button == clearLog_ || button == translation_));
    export_->setEnabled((idle && hasRecords) || savingButton_ == export_);
    saveTrace_->setEnabled((idle && hasRecords) || savingButton_ == saveTrace_);
    saveResult_->setEnabled((idle && browser_->result() != nullptr) || savingButton_ == saveResult_);
}

void TraceViewerDialog::done(int result) {
    if (job_) {
        job_->requestStop();
        saveEnded();
    }
    QDialog::done(result);
}

}  // namespace zel::gui::trace
