// Zelmor: the desktop program. Refuses to start beside the command-line tool, runs the old-driver
// check, prepares the settings document, opens the API for the program's lifetime and shows the
// main window.
#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <optional>
#include <string_view>

#include "GuiSettings.h"
#include "Log.h"
#include "MainWindow.h"
#include "ApiSession.h"
#include "ProcessScan.h"
#include "StartupGate.h"
#include "Prompter.h"
#include "ZelapiDevices.h"
#include "ZelapiHolder.h"
#include "fileio/ProgramFolder.h"
#include "notice/NoticeSocketPath.h"
#include "settings/SettingsLocation.h"

namespace {

// Closes the diagnostic log when the program ends, also on an early return.
struct DiagnosticLog {
    DiagnosticLog() {
        log_init_c("----ZelmorPro----");
        log_level_add_ascii(0, "CQuorinView::CQuorinView()");
    }
    ~DiagnosticLog() {
        log_level_add_ascii(0, "CQuorinView::~CQuorinView()");
        log_exit_c();
    }
};

// --help and --version answer before Qt starts, so that they need no display.
std::optional<int> answerInformationOptions(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs("Usage: Zelmor [--help | --version]\n"
                       "The desktop program for ZelmorPro emulators: choose the emulator and its chip, load\n"
                       "an image file, download, verify, run and stop, read back, with a log of every step.\n"
                       "Set ZELMOR_SIM to a simulator folder to use simulated emulators.\n",
                       stdout);
            return 0;
        }
        if (arg == "--version") {
            std::fputs("Zelmor " ZEL_VERSION "\n", stdout);
            return 0;
        }
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace zel;
    if (const auto status = answerInformationOptions(argc, argv)) return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelmor"));
    QApplication::setApplicationVersion(QStringLiteral(ZEL_VERSION));

    const auto housekeeping = gui::makeDriverHousekeeping();
    if (const auto refusal = gui::checkStart([] { return gui::commandLineToolRunning(); }, *housekeeping)) {
        std::fprintf(stderr, "%s\n", refusal->message.c_str());  // for a start from a terminal
        QMessageBox::information(nullptr, QStringLiteral("Zelmor"), QString::fromStdString(refusal->message));
        return refusal->exitStatus;
    }

    const std::filesystem::path programFolder = fileio::programFolder();
    gui::GuiSettings settings(settings::userSettingsFolder(),
                              {settings::templateSettingsFolder(), programFolder / "templates"});
    DiagnosticLog diagnostics;
    session::ZelapiDevices api;
    gui::ZelapiHolder holder;
    gui::WidgetPrompter prompter;
    session::ApiSession session(api);
    int status = 0;
    {
        gui::MainWindow window({api, holder, settings, prompter, programFolder / "config" / "ZelmorPro",
                                notice::desktopNoticeSocketPath(), true});
        window.show();
        window.start();
        status = QApplication::exec();
    }  // the window and its worker are gone before the API closes
    return status;
}
