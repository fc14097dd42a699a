#include "DesktopLauncher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

namespace zel::gui::help {

bool SystemDesktopLauncher::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

bool SystemDesktopLauncher::startProgram(const QString& program) { return QProcess::startDetached(program, {}); }

QString findCalculator() {
    for (const char* name : {"gnome-calculator", "kcalc", "galculator", "qalculate-gtk", "mate-calc", "xcalc"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty()) return path;
    }
    return {};
}

}  // namespace zel::gui::help
