#include "EditorFeature.h"

#include <QAction>
#include <QWidget>

#include "BufferEditorDialog.h"
#include "EditorRanges.h"

namespace zel::gui::editor {

EditorFeature::EditorFeature(EditorHost host, QWidget* window)
    : host_(std::move(host)), window_(window), action_(new QAction(QStringLiteral("Buffer Editor"), window)) {
    action_->setObjectName(QStringLiteral("bufferEditorAction"));
    action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    action_->setEnabled(false);
    connect(action_, &QAction::triggered, this, &EditorFeature::openEditor);
}

EditorFeature::~EditorFeature() { delete dialog_; }

void EditorFeature::openEditor() {
    if (dialog_) return;
    const LoadedImage* image = host_.control.image(0);
    const auto& chip = host_.control.state().targets[0].chip;
    EditorBuffer buffer;
    vm::ReadView fileCopy;
    QString name;
    if (image) {
        const uint64_t length = workingLength(chip ? chip->size : 0, image->imageLength, image->buffer.size());
        buffer = EditorBuffer(image->buffer.handle(), image->buffer.size(), length, image->imageLength);
        fileCopy = vm::ReadView::of(image->fileCopy.handle(), image->fileCopy.size());
        name = QString::fromStdString(image->path.filename().string());
    }
    dialog_ = new BufferEditorDialog({std::move(buffer), std::move(fileCopy), name, host_.control.identity().generation2,
                                      host_.prompter, host_.log, host_.changed,
                                      [this](uint64_t length) {
                                          host_.control.growImage(0, uint32_t(length));
                                          host_.changed();
                                      }},
                                     window_);
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog_, &QDialog::finished, this, [this] {
        dialog_ = nullptr;
        host_.changed();
    });
    dialog_->open();  // modal to the window, without a nested event loop
}

}  // namespace zel::gui::editor
