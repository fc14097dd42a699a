// "SPI Trace Viewer": the captured trace a page at a time (an external scroll bar in 16-byte
// units drives the core's row generator), the eleven filters with range, special command and
// mask, Display All, Clear Log, the translation toggle, Save Trace / Save Result with Stop Saving
// and their progress, and beyond those a search for the next transaction touching an address and
// a waveform export (on its thread like the saves, with progress and Stop Export). The decisions
// and the decoding are the core's (TraceBrowser, TraceSaveJob, WaveformExportJob).
#pragma once

#include <QDialog>

#include <array>
#include <memory>

#include "LogQueue.h"
#include "TraceBrowser.h"
#include "TraceJob.h"
#include "TraceSettings.h"
#include "TraceTables.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTableView;
class QTimer;

namespace zel::gui {
class Prompter;
class GuiSettings;
}  // namespace zel::gui

namespace zel::gui::trace {

class TraceRowsModel;

struct TraceViewerSetup {
    CapturedTrace trace;
    const TraceTables& tables;
    bool generation2 = false;
    std::uint64_t chipSize = 0;  // 0: no chip chosen
    FilterOptions filter;
    LogSink& log;
    Prompter& prompter;
    GuiSettings& settings;
};

class TraceViewerDialog final : public QDialog {
    Q_OBJECT
public:
    explicit TraceViewerDialog(TraceViewerSetup setup, QWidget* parent = nullptr);
    ~TraceViewerDialog() override;

    // The filter controls as they are now (stored when the viewer closes).
    FilterOptions filterOptions() const;
    const TraceBrowser& browser() const { return *browser_; }
    bool saving() const { return job_ != nullptr; }
    // Rows decoded for one page: the core's pass size (1 KiB of records).
    static constexpr std::size_t kPageRecords = 128;

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildFilters();
    QWidget* buildButtons();
    void showPage();
    void setScrollRange();
    void startFiltering();
    void displayAll();
    void toggleTranslation();
    void saveTrace();
    void saveResult();
    bool stopSavingAsked();
    void startJob(std::unique_ptr<TraceJob> job, QPushButton* button, const QString& stopCaption);
    void pollSave();
    void saveEnded();
    void findAddress();
    void exportWaveform();
    void updateButtons();

    TraceViewerSetup setup_;
    zel::trace::DecodeContext context_;
    std::unique_ptr<TraceBrowser> browser_;
    std::unique_ptr<TraceJob> job_;
    QPushButton* savingButton_ = nullptr;  // the button that stops the running job
    QString savingCaption_;                // its caption before the job
    std::size_t lastFound_ = 0;

    TraceRowsModel* model_;
    QTableView* table_;
    QScrollBar* scroll_;
    std::array<QCheckBox*, 11> conditions_{};
    QLineEdit *start_, *end_, *special_, *find_;
    QCheckBox* mask_;
    QPushButton *filterButton_, *displayAll_, *clearLog_, *translation_, *saveTrace_, *saveResult_, *findButton_,
        *export_;
    QLabel* progress_;
    QTimer* saveTimer_;
};

}  // namespace zel::gui::trace
