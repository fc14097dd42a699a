// The buffer editor's command: the toolbar button and Ctrl+E, opening the editor over target 1's
// host buffer, and carrying back how far the image now reaches so that a download sends every
// byte the editor changed.
//
// Threads: the user-interface thread.
#pragma once

#include <QObject>

#include <functional>

#include "EmulatorControl.h"
#include "LogQueue.h"

class QAction;
class QWidget;

namespace zel::gui {
class Prompter;
}

namespace zel::gui::editor {

class BufferEditorDialog;

struct EditorHost {
    EmulatorControl& control;
    LogSink& log;
    Prompter& prompter;
    std::function<void()> changed;  // flush the log, refresh the controls
};

class EditorFeature final : public QObject {
    Q_OBJECT
public:
    EditorFeature(EditorHost host, QWidget* window);
    ~EditorFeature() override;

    QAction* action() const { return action_; }
    BufferEditorDialog* dialog() const { return dialog_; }
    void openEditor();

private:
    EditorHost host_;
    QWidget* window_;
    QAction* action_;
    BufferEditorDialog* dialog_ = nullptr;
};

}  // namespace zel::gui::editor
