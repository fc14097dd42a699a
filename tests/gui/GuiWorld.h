// One desktop program against a fresh zelsim, for the window tests: a private home (settings
// document, notice socket), the API opened for the world's lifetime, and a prompter that answers
// the window's questions from the test.
#pragma once

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>

#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>
#include <memory>
#include <optional>

#include "ApiSession.h"
#include "GuiSettings.h"
#include "MainWindow.h"
#include "OperationLogModel.h"
#include "Prompter.h"
#include "SimProcess.h"
#include "TempDir.h"
#include "ZelapiDevices.h"
#include "ZelapiHolder.h"

namespace zel::gui::test {

class ScriptedPrompter final : public Prompter {
public:
    std::filesystem::path chip;
    std::filesystem::path image;
    std::filesystem::path saveAs;
    std::filesystem::path openFile;
    std::uint8_t fillValue = kDefaultFillValue;
    QStringList shown;
    QStringList asked;
    bool answer = true;  // to every question
    bool confirmAnswer = true;              // to every OK/Cancel question
    std::optional<std::filesystem::path> firmware;  // nothing: the dialog is cancelled
    std::optional<std::uint32_t> serialNumber;
    QStringList confirmed;

    void inform(QWidget*, const QString& text) override { shown << text; }
    void warn(QWidget*, const QString& text) override { shown << text; }
    bool ask(QWidget*, const QString& text) override {
        asked << text;
        return answer;
    }
    std::optional<std::filesystem::path> chooseChip(QWidget*, const std::filesystem::path& folder, const EmulatorState&,
                                                    bool, int) override {
        return folder / chip;
    }
    std::optional<ImageChoice> chooseImage(QWidget*, const EmulatorState&, int) override {
        return ImageChoice{image, false, std::nullopt, fillValue};
    }
    std::optional<std::filesystem::path> chooseSaveFile(QWidget*, const QString&) override { return saveAs; }
    std::optional<std::filesystem::path> chooseOpenFile(QWidget*, const QString&) override { return openFile; }
    bool confirm(QWidget*, const QString& text) override {
        confirmed << text;
        return confirmAnswer;
    }
    std::optional<std::filesystem::path> chooseFirmware(QWidget*, bool) override { return firmware; }
    std::optional<std::uint32_t> chooseSerialNumber(QWidget*, const QString&) override { return serialNumber; }
    std::optional<std::uint32_t> chooseColour(QWidget*, std::uint32_t) override { return colour; }
    std::optional<std::uint32_t> colour;
};

struct GuiWorld {
    explicit GuiWorld(std::vector<std::string> devices, std::vector<std::string> options = {})
        : sim(std::move(devices), std::move(options)) {
        sim.exportEnvironment();
        ::setenv("XDG_CONFIG_HOME", (home.path() / "config").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (home.path() / "run").c_str(), 1);
        // A share channel of this test's own: tests running beside it serve and request theirs.
        ::setenv("ZELMOR_SHARE_PREFIX", sharePrefix().c_str(), 1);
        settings = std::make_unique<GuiSettings>(home.path() / "config" / "Varnik" / "Zelmor",
                                                 std::vector<std::filesystem::path>{ZEL_TEMPLATE_DIR});
        QElapsedTimer started;
        started.start();
        session = std::make_unique<session::ApiSession>(api);
        window = std::make_unique<MainWindow>(MainWindowSetup{api, holder, *settings, prompter, ZEL_CONFIG_DIR,
                                                              home.path() / "run" / "zelmor-notice.sock", true});
        window->show();
        window->start();
        QCoreApplication::processEvents();
        startMs = started.elapsed();
    }
    ~GuiWorld() {
        window.reset();  // the worker ends before the API closes
        session.reset();
        const std::string segment = "/" + sharePrefix() + "ZelmorProSharedMem." + std::to_string(::geteuid());
        ::shm_unlink(segment.c_str());
        ::shm_unlink((segment + ".live").c_str());
    }
    static std::string sharePrefix() { return "zeltest." + std::to_string(::getpid()) + ".gui."; }

    QAction* action(const char* name) const { return window->findChild<QAction*>(QString::fromLatin1(name)); }
    QString line(const char* name) const { return window->findChild<QLabel*>(QString::fromLatin1(name))->text(); }
    int rows() const { return window->logModel().rowCount(); }

    // Runs the event loop until a log row from `fromRow` on contains `text`.
    bool waitForLog(const QString& text, int fromRow = 0, int timeoutMs = 15000) const {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            window->flushLog();
            for (int row = fromRow; row < rows(); ++row)
                if (window->logModel().message(row).contains(text)) return true;
            QTest::qWait(10);
        }
        for (int row = fromRow; row < rows(); ++row) qInfo("log: %s", qPrintable(window->logModel().message(row)));
        return false;
    }
    bool waitForLine(const char* name, const QString& text, int timeoutMs = 15000) const {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            if (line(name) == text) return true;
            QTest::qWait(10);
        }
        return false;
    }
    bool waitIdle(int timeoutMs = 30000) const {
        QElapsedTimer timer;
        timer.start();
        while (window->operationBusy() && timer.elapsed() < timeoutMs) QTest::qWait(10);
        return !window->operationBusy();
    }

    zel::test::TempDir home;
    zel::test::SimProcess sim;
    session::ZelapiDevices api;
    ZelapiHolder holder;
    ScriptedPrompter prompter;
    std::unique_ptr<GuiSettings> settings;
    std::unique_ptr<session::ApiSession> session;
    std::unique_ptr<MainWindow> window;
    qint64 startMs = 0;  // API opened to a shown, populated window
};

}  // namespace zel::gui::test
