// "Buffer Editor": the hex grid over target 1's host buffer with the checksum, Go to address,
// the Display range, the comparison with the loaded file or another one (Next Difference walks
// the differences in order), the swaps, Fill Buffer and Save. Every change goes straight into
// the host buffer the next download sends.
//
// Threads: the user-interface thread; a compared file is decoded by an image-load job.
#pragma once

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

#include "EditorBuffer.h"
#include "LogQueue.h"
#include "dialogs/core/LoadedImage.h"
#include "vm_view.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QRadioButton;
class QTimer;

namespace zel::gui {
class ImageLoadJob;
class Prompter;
}  // namespace zel::gui

namespace zel::gui::editor {

class FillBufferDialog;
class HexGridView;

struct EditorSetup {
    EditorBuffer buffer;
    vm::ReadView fileCopy;       // the loaded file's bytes, compared by default; may be invalid
    QString bufferedFile;        // the loaded file's name; empty without one
    bool generation2 = false;    // the buffer limit, for the title and for compared files
    Prompter& prompter;
    LogSink& log;
    std::function<void()> logged;                   // flush the log
    std::function<void(uint64_t)> imageLengthGrew;  // the image now ends there
};

class BufferEditorDialog final : public QDialog {
    Q_OBJECT
public:
    BufferEditorDialog(EditorSetup setup, QWidget* parent);
    ~BufferEditorDialog() override;

    HexGridView* grid() const { return grid_; }
    const EditorBuffer& buffer() const { return setup_.buffer; }
    FillBufferDialog* fillDialog() const { return fill_; }
    bool comparing() const { return job_ != nullptr; }

    void goToAddress();
    void display();
    void nextDifference();
    void compareWithFile();
    void fillBuffer();
    void swap(SwapUnit unit);
    void save();

private:
    QWidget* buildControls();
    void edit(uint64_t address, uint8_t value);
    void changed();
    void showBytes();
    void showTitle();
    void showAddress(uint64_t address);
    void compareLoaded();
    std::span<const uint8_t> compared() const;
    std::optional<uint64_t> hexField(QLineEdit* edit);

    EditorSetup setup_;
    uint64_t imageLength_;
    std::optional<LoadedImage> comparedFile_;
    vm::ReadView comparedView_;
    QString comparedName_;
    uint64_t searchFrom_ = 0;
    std::unique_ptr<ImageLoadJob> job_;
    HexGridView* grid_;
    QLabel* title_;
    QLabel* checksum_;
    QLabel* summary_;
    QLineEdit* address_;
    QLineEdit* from_;
    QLineEdit* to_;
    QRadioButton* hexView_;
    QProgressBar* progress_;
    QTimer* timer_;
    FillBufferDialog* fill_ = nullptr;
};

}  // namespace zel::gui::editor
