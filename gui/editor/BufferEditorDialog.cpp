#include "BufferEditorDialog.h"

#include "NamedButton.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "BufferCompare.h"
#include "FillBufferDialog.h"
#include "HexField.h"
#include "HexGridView.h"
#include "Prompter.h"
#include "dialogs/core/ImageLoadJob.h"

namespace zel::gui::editor {
namespace {

constexpr int kCompareRefreshMs = 100;

QString limitText(bool generation2) {
    return generation2 ? QStringLiteral("256 MBytes (262,144 KBytes)") : QStringLiteral("64 MBytes (65,536 KBytes)");
}

QString hexText(uint64_t value, int digits = 8) { return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper(); }

QLineEdit* hexEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(10);
    edit->setMaximumWidth(110);
    return edit;
}

// A wait cursor while a long change runs on this thread.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

BufferEditorDialog::BufferEditorDialog(EditorSetup setup, QWidget* parent)
    : QDialog(parent), setup_(std::move(setup)), imageLength_(setup_.buffer.imageLength()), grid_(new HexGridView(this)),
      title_(new QLabel(this)), checksum_(new QLabel(this)), summary_(new QLabel(this)),
      address_(hexEdit("gotoAddress", this)), from_(hexEdit("displayFrom", this)), to_(hexEdit("displayTo", this)),
      hexView_(new QRadioButton(QStringLiteral(" Hex"), this)), progress_(new QProgressBar(this)), timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("bufferEditor"));
    setWindowTitle(QStringLiteral("Buffer Editor"));
    grid_->setObjectName(QStringLiteral("hexGrid"));
    title_->setObjectName(QStringLiteral("editorTitle"));
    checksum_->setObjectName(QStringLiteral("checksumValue"));
    summary_->setObjectName(QStringLiteral("compareSummary"));
    progress_->setObjectName(QStringLiteral("compareProgress"));
    progress_->setRange(0, 1000);
    progress_->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addWidget(grid_, 1);
    layout->addWidget(buildControls());
    connect(grid_, &HexGridView::editRequested, this, &BufferEditorDialog::edit);
    connect(grid_, &HexGridView::editWithoutBuffer, this, [this] {
        setup_.prompter.warn(this, QStringLiteral("Please load the file, This address data cannot be modified."));
    });
    connect(grid_, &HexGridView::swapRequested, this, &BufferEditorDialog::swap);
    connect(timer_, &QTimer::timeout, this, &BufferEditorDialog::compareLoaded);
    if (setup_.fileCopy) comparedName_ = setup_.bufferedFile;
    showBytes();
    showTitle();
    resize(grid_->minimumWidth() + 40, 640);
}

BufferEditorDialog::~BufferEditorDialog() = default;

QWidget* BufferEditorDialog::buildControls() {
    auto* controls = new QWidget(this);
    auto* grid = new QGridLayout(controls);
    grid->setContentsMargins(0, 0, 0, 0);
    auto* asciiView = new QRadioButton(QStringLiteral(" ASCII"), controls);
    hexView_->setObjectName(QStringLiteral("hexViewRadio"));
    asciiView->setObjectName(QStringLiteral("asciiViewRadio"));
    hexView_->setChecked(true);
    connect(asciiView, &QRadioButton::toggled, grid_, &HexGridView::setAsciiView);
    auto* view = new QHBoxLayout;
    view->addWidget(hexView_);
    view->addWidget(asciiView);
    view->addSpacing(20);
    view->addWidget(new QLabel(QStringLiteral("Checksum:"), controls));
    view->addWidget(checksum_);
    view->addSpacing(20);
    view->addWidget(summary_, 1);
    grid->addLayout(view, 0, 0, 1, 6);

    auto* compare = namedButton(QStringLiteral("Compare With File ..."), "compareButton", controls);
    auto* next = namedButton(QStringLiteral(" Next Difference"), "nextDifferenceButton", controls);
    auto* go = namedButton(QStringLiteral("Go!"), "goButton", controls);
    grid->addWidget(compare, 1, 0);
    grid->addWidget(next, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Address (Hex)"), controls), 1, 2, Qt::AlignRight);
    grid->addWidget(address_, 1, 3);
    grid->addWidget(go, 1, 4);
    grid->addWidget(progress_, 1, 5);
    connect(compare, &QPushButton::clicked, this, &BufferEditorDialog::compareWithFile);
    connect(next, &QPushButton::clicked, this, &BufferEditorDialog::nextDifference);
    connect(go, &QPushButton::clicked, this, &BufferEditorDialog::goToAddress);
    connect(address_, &QLineEdit::returnPressed, this, &BufferEditorDialog::goToAddress);

    auto* displayButton = namedButton(QStringLiteral("Display"), "displayButton", controls);
    grid->addWidget(new QLabel(QStringLiteral("From:  0x"), controls), 2, 0, Qt::AlignRight);
    grid->addWidget(from_, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("To:  0x"), controls), 2, 2, Qt::AlignRight);
    grid->addWidget(to_, 2, 3);
    grid->addWidget(displayButton, 2, 4);
    connect(displayButton, &QPushButton::clicked, this, &BufferEditorDialog::display);

    auto* saveButton = namedButton(QStringLiteral("Save Buffer to File"), "saveButton", controls);
    auto* byteSwap = namedButton(QStringLiteral("Byte Swap"), "byteSwapButton", controls);
    auto* wordSwap = namedButton(QStringLiteral("Word Swap"), "wordSwapButton", controls);
    auto* dwordSwap = namedButton(QStringLiteral("DWORD Swap"), "dwordSwapButton", controls);
    auto* fill = namedButton(QStringLiteral("Fill Buffer"), "fillButton", controls);
    auto* close = namedButton(QStringLiteral("Close"), "closeButton", controls);
    int column = 0;
    for (QPushButton* each : {saveButton, byteSwap, wordSwap, dwordSwap, fill, close}) grid->addWidget(each, 3, column++);
    connect(saveButton, &QPushButton::clicked, this, &BufferEditorDialog::save);
    connect(byteSwap, &QPushButton::clicked, this, [this] { swap(SwapUnit::Byte); });
    connect(wordSwap, &QPushButton::clicked, this, [this] { swap(SwapUnit::Word); });
    connect(dwordSwap, &QPushButton::clicked, this, [this] { swap(SwapUnit::DWord); });
    connect(fill, &QPushButton::clicked, this, &BufferEditorDialog::fillBuffer);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    return controls;
}

std::span<const uint8_t> BufferEditorDialog::compared() const {
    if (comparedView_) return comparedView_.bytes();
    return setup_.fileCopy.bytes();
}

void BufferEditorDialog::showTitle() {
    title_->setText(QStringLiteral("Buffer = %1     File = %2     Buffered File = %3")
                        .arg(limitText(setup_.generation2), comparedName_, setup_.bufferedFile));
}

void BufferEditorDialog::showBytes() {
    const EditorBuffer& buffer = setup_.buffer;
    grid_->setBytes(buffer.bytes(), compared(), buffer.imageLength());
    checksum_->setText(QStringLiteral("0x") + hexText(buffer.checksum()));
    if (buffer.imageLength() > imageLength_) {
        imageLength_ = buffer.imageLength();
        setup_.imageLengthGrew(imageLength_);
    }
}

void BufferEditorDialog::changed() {
    showBytes();
    grid_->viewport()->update();
}

void BufferEditorDialog::edit(uint64_t address, uint8_t value) {
    if (!setup_.buffer.write(address, value)) return;
    changed();
}

std::optional<uint64_t> BufferEditorDialog::hexField(QLineEdit* edit) {
    const auto value = parseHexField(edit->text().toStdString());
    if (!value) setup_.prompter.warn(this, QStringLiteral("Please type the address in hexadecimal."));
    return value;
}

void BufferEditorDialog::goToAddress() {
    const auto address = hexField(address_);
    if (!address || !setup_.buffer.loaded()) return;
    showAddress(*address);
    searchFrom_ = grid_->cursorAddress();
    grid_->setFocus();
}

void BufferEditorDialog::display() {
    const auto from = hexField(from_);
    const auto to = from ? hexField(to_) : std::nullopt;
    if (!from || !to) return;
    const DisplayChoice choice = displayRange(*from, *to, setup_.buffer.length());
    if (!choice.problem.empty())
        return setup_.prompter.warn(this, QString::fromLatin1(choice.problem.data(), qsizetype(choice.problem.size())));
    if (!choice.range) return;
    // What is shown is what was clamped to: the fields say so.
    from_->setText(hexText(choice.range->from));
    to_->setText(hexText(choice.range->to));
    grid_->setRange(choice.range);
    grid_->setCursorAddress(choice.range->from);
}

void BufferEditorDialog::nextDifference() {
    const auto found = editor::nextDifference(setup_.buffer.bytes(), compared(), searchFrom_);
    if (!found) return setup_.prompter.inform(this, QStringLiteral("There are no difference"));
    showAddress(*found);
    searchFrom_ = *found + 1;
}

// An address outside the Display range brings the whole buffer back into view.
void BufferEditorDialog::showAddress(uint64_t address) {
    const auto range = grid_->range();
    if (range && (address < range->from || address > range->to)) {
        grid_->setRange(DisplayRange{0, setup_.buffer.length() - 1});
        from_->clear();
        to_->clear();
    }
    grid_->setCursorAddress(address);
}

void BufferEditorDialog::compareWithFile() {
    if (job_) return;
    const auto file = setup_.prompter.chooseOpenFile(
        this, QStringLiteral("Binary File (*.bin);;Intel Hex Files (*.hex);;Motorola Hex Files (*.s19);;ROM Files (*.rom);;All Files (*)"));
    if (!file) return;
    // Fill value 0: the job's buffer stays untouched memory; only its file copy is compared.
    job_ = std::make_unique<ImageLoadJob>(ImageLoadRequest{*file, formatForPath(*file), 0, setup_.generation2, 0});
    progress_->setValue(0);
    timer_->start(kCompareRefreshMs);
}

void BufferEditorDialog::compareLoaded() {
    progress_->setValue(job_->progressPerMille());
    if (!job_->finished()) return;
    timer_->stop();
    ImageLoadResult result = job_->takeResult();
    job_.reset();
    if (!result.ok()) return setup_.prompter.warn(this, QString::fromStdString(result.logLine));
    comparedFile_ = std::move(result.image);
    comparedView_ = vm::ReadView::of(comparedFile_->fileCopy.handle(), comparedFile_->fileCopy.size());
    comparedName_ = QString::fromStdString(comparedFile_->path.filename().string());
    searchFrom_ = 0;
    const uint64_t differences = countDifferences(setup_.buffer.bytes(), compared());
    summary_->setText(QStringLiteral("%1 bytes differ from %2").arg(differences).arg(comparedName_));
    showTitle();
    showBytes();
}

void BufferEditorDialog::fillBuffer() {
    if (!setup_.buffer.loaded() || fill_) return;
    fill_ = new FillBufferDialog(
        [this](uint64_t start, uint64_t end, uint8_t value) {
            BusyCursor busy;
            const std::string_view problem = setup_.buffer.fill(start, end, value);
            if (problem.empty()) changed();
            return problem;
        },
        setup_.prompter, this);
    fill_->setAttribute(Qt::WA_DeleteOnClose);
    connect(fill_, &QDialog::finished, this, [this] { fill_ = nullptr; });
    fill_->open();
}

void BufferEditorDialog::swap(SwapUnit unit) {
    BusyCursor busy;
    if (setup_.buffer.swap(unit)) changed();
}

void BufferEditorDialog::save() {
    if (!setup_.buffer.loaded()) return;
    const auto file = setup_.prompter.chooseSaveFile(this, QStringLiteral("Binary File (*.bin);;Intel Hex Files (*.hex);;All Files (*)"));
    if (!file) return;
    setup_.log.log("Save Buffer into a File. Please wait....");
    const bool saved = [&] {
        BusyCursor busy;
        return setup_.buffer.save(*file);
    }();
    setup_.log.log(saved ? "Save Buffer Complete!" : "Error: the buffer could not be saved to " + file->string());
    setup_.logged();
}

}  // namespace zel::gui::editor
