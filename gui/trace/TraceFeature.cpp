#include "TraceFeature.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include "Prompter.h"
#include "SavingIndicator.h"
#include "TraceEnableRules.h"
#include "TracePanel.h"
#include "TraceSettingsPage.h"
#include "TraceViewerDialog.h"

namespace zel::gui::trace {
namespace {

constexpr int kRefreshMs = 50;

}  // namespace

TraceFeature::TraceFeature(TraceHost host, QWidget* window)
    : host_(std::move(host)), window_(window), panel_(new TracePanel(window)), timer_(new QTimer(this)),
      capture_(host_.log) {
    connect(panel_, &TracePanel::startClicked, this, &TraceFeature::startTrace);
    connect(panel_, &TracePanel::stopClicked, this, &TraceFeature::stopTrace);
    connect(panel_, &TracePanel::saveClicked, this, &TraceFeature::saveTrace);
    connect(panel_, &TracePanel::clearClicked, this, &TraceFeature::clearBuffer);
    connect(panel_, &TracePanel::displayClicked, this, &TraceFeature::displayTrace);
    connect(timer_, &QTimer::timeout, this, &TraceFeature::onTimer);
    panel_->showSaving({});
}

TraceFeature::~TraceFeature() {
    delete viewer_;  // it reads the tables and the buffer held here
    if (capture_.capturing()) capture_.stop();
}

const zel::trace::DecodeContext* TraceFeature::decodeContext(bool translate) {
    if (!tables_) {
        std::string problem;
        tables_ = TraceTables::load(host_.tablesFolder, problem);
        if (!tables_) {
            host_.log.log(problem);
            return nullptr;
        }
    }
    const auto& chip = host_.control.state().targets[0].chip;
    context_.emplace(tables_->context(host_.control.identity().generation2, chip ? chip->size : 0, translate));
    return &*context_;
}

void TraceFeature::updateEnables(bool deviceUsable) {
    lastDeviceUsable_ = deviceUsable;
    TraceFrame frame;
    frame.deviceUsable = deviceUsable;
    frame.capturing = capture_.capturing();
    frame.saving = job_ != nullptr;
    frame.hasRecords = capture_.captured().length > 0;
    frame.ordering = capture_.ordering();
    panel_->showEnables(traceEnables(frame));
}

void TraceFeature::startTrace() {
    if (busy() || !host_.deviceUsable()) return host_.changed();
    if (!host_.control.state().targets[0].chip) return host_.prompter.warn(window_, QStringLiteral("The Chip is not setted."));
    const CaptureOptions options = CaptureOptions::read(host_.settings);
    const auto* context = options.continuous ? decodeContext(FilterOptions::read(host_.settings).translate) : nullptr;
    if (options.continuous && !context) return host_.changed();
    capture_.start({host_.control.device(), options.continuous, options.file, context});
    behindSince_.reset();
    timer_->start(kRefreshMs);
    host_.changed();
}

void TraceFeature::stopTrace() {
    if (!capture_.capturing()) return;
    const bool unsaved = capture_.unsavedRecords();
    if (unsaved && !host_.prompter.ask(window_, QStringLiteral("SPI Trace data is being saved.\nDo you want to stop it?")))
        return;
    capture_.stop(unsaved);  // Yes stops the saving too, rather than waiting for it to catch up
    onTimer();
    host_.changed();
}

void TraceFeature::stopForHandOver() {
    if (!capture_.capturing()) return;
    capture_.stop();
    onTimer();
    host_.changed();
}

void TraceFeature::onTimer() {
    if (capture_.reapIfEnded()) host_.changed();
    if (capture_.reapOrdering()) host_.changed();
    if (capture_.writerBehind()) {
        if (!behindSince_) {
            behindSince_ = std::make_unique<QElapsedTimer>();
            behindSince_->start();
        }
        panel_->showSaving(QString::fromStdString(savingText(behindSince_->elapsed())));
    } else {
        behindSince_.reset();
        panel_->showSaving({});
    }
    if (job_ && !job_->running()) saveEnded();
    if (!busy()) timer_->stop();
}

void TraceFeature::saveTrace() {
    if (busy() || capture_.captured().length == 0) return;
    const auto file = host_.prompter.chooseSaveFile(window_, QStringLiteral("Txt File (*.txt)"));
    if (!file) return;
    const auto* context = decodeContext(FilterOptions::read(host_.settings).translate);
    if (!context) return host_.changed();
    host_.log.log("Save Log into a File. Please wait....");
    job_ = std::make_unique<TraceSaveJob>(capture_.captured(), *context, *file);
    job_->start();
    timer_->start(kRefreshMs);
    host_.changed();
}

void TraceFeature::saveEnded() {
    job_->join();
    host_.log.log(job_->outcome());
    job_.reset();
    host_.changed();
}

void TraceFeature::clearBuffer() {
    if (busy()) return;
    capture_.clear();
    host_.changed();
}

void TraceFeature::displayTrace() {
    if (busy() || viewer_) return;
    if (!decodeContext(false)) return host_.changed();
    const auto& chip = host_.control.state().targets[0].chip;
    viewer_ = new TraceViewerDialog({capture_.captured(), *tables_, host_.control.identity().generation2,
                                     chip ? chip->size : 0, FilterOptions::read(host_.settings), host_.log,
                                     host_.prompter, host_.settings},
                                    window_);
    viewer_->setAttribute(Qt::WA_DeleteOnClose);
    connect(viewer_, &QDialog::finished, this, [this] {
        if (const std::error_code error = host_.settings.write(viewer_->filterOptions().changes()))
            host_.log.log("Warning: the trace filter could not be saved: " + error.message());
        viewer_ = nullptr;
        host_.changed();
    });
    viewer_->open();  // modal to the window, without a nested event loop
}

QWidget* TraceFeature::createSettingsPage(QDialog& sheet) {
    auto* page = new TraceSettingsPage(CaptureOptions::read(host_.settings), host_.prompter, &sheet);
    connect(&sheet, &QDialog::accepted, this, [this, page] {
        if (const std::error_code error = host_.settings.write(page->apply().changes()))
            host_.log.log("Warning: the trace settings could not be saved: " + error.message());
    });
    return page;
}

}  // namespace zel::gui::trace
