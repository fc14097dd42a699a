// What the Help menu asks of the desktop: open a document with the user's viewer and start a
// program. Behind an interface so that tests see what would have been opened.
#pragma once

#include <QString>
#include <QUrl>

namespace zel::gui::help {

class DesktopLauncher {
public:
    virtual ~DesktopLauncher() = default;
    virtual bool openUrl(const QUrl& url) = 0;
    virtual bool startProgram(const QString& program) = 0;
};

// QDesktopServices and a detached QProcess.
class SystemDesktopLauncher final : public DesktopLauncher {
public:
    bool openUrl(const QUrl& url) override;
    bool startProgram(const QString& program) override;
};

// The first desktop calculator found on the PATH; empty when none is installed.
QString findCalculator();

}  // namespace zel::gui::help
