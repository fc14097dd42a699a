// Writes the README's pictures of Zelmor: run against a simulator (ZELMOR_SIM) under a real X
// server (scripts/screenshots starts Xvfb). Takes the output folder, a chip configuration and an
// image file; every window is shown as a user sees it and grabbed once it has settled.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ApiSession.h"
#include "BufferEditorDialog.h"
#include "EditorFeature.h"
#include "HexGridView.h"
#include "DeviceSettingsFeature.h"
#include "GuiSettings.h"
#include "MainWindow.h"
#include "OperationLogModel.h"
#include "SettingsSheet.h"
#include "HtTesterDialog.h"
#include "TerminalFeature.h"
#include "TerminalPanel.h"
#include "TerminalSettings.h"
#include "TerminalViewerDialog.h"
#include "TraceFeature.h"
#include "FirmwareFeature.h"
#include "TraceViewerDialog.h"
#include "Prompter.h"
#include "ZelapiDevices.h"
#include "ZelapiHolder.h"
#include "dialogs/ChipSelectDialog.h"
#include "dialogs/LoadFileDialog.h"
#include "dialogs/core/BufferLimits.h"
#include "fileio/ProgramFolder.h"
#include "settings/SettingsLocation.h"

namespace {

using namespace zel::gui;

// Answers the window's questions with the files named on the command line.
class FixedPrompter final : public Prompter {
public:
    FixedPrompter(std::filesystem::path chip, std::filesystem::path image) : chip_(std::move(chip)), image_(std::move(image)) {}
    void inform(QWidget*, const QString&) override {}
    void warn(QWidget*, const QString&) override {}
    bool ask(QWidget*, const QString&) override { return true; }
    std::optional<std::filesystem::path> chooseChip(QWidget*, const std::filesystem::path&, const EmulatorState&, bool,
                                                    int) override {
        return chip_;
    }
    std::optional<ImageChoice> chooseImage(QWidget*, const EmulatorState&, int) override {
        ImageChoice choice;
        choice.file = image_;
        return choice;
    }
    std::optional<std::filesystem::path> chooseSaveFile(QWidget*, const QString&) override { return std::nullopt; }
    std::optional<std::filesystem::path> chooseOpenFile(QWidget*, const QString&) override { return openFile; }

    std::filesystem::path openFile;
    bool confirm(QWidget*, const QString&) override { return true; }
    std::optional<std::filesystem::path> chooseFirmware(QWidget*, bool) override {
        if (firmware.empty()) return std::nullopt;
        return firmware;
    }
    std::optional<std::uint32_t> chooseSerialNumber(QWidget*, const QString&) override { return std::nullopt; }

    std::filesystem::path firmware;

private:
    std::filesystem::path chip_;
    std::filesystem::path image_;
};

bool save(QWidget& widget, const std::filesystem::path& file, int settleMs = 300) {
    QTest::qWait(settleMs);  // let the X server paint
    const bool saved = widget.grab().save(QString::fromStdString(file.string()));
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", file.c_str());
    return saved;
}

bool waitFor(MainWindow& window, const QString& text, int fromRow) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000) {
        window.flushLog();
        for (int row = fromRow; row < window.logModel().rowCount(); ++row)
            if (window.logModel().message(row).contains(text)) return true;
        QTest::qWait(10);
    }
    std::fprintf(stderr, "zelmor_screenshots: no \"%s\" in the log\n", qPrintable(text));
    return false;
}

// The target boots a few times while a capture runs; the viewer shows it original and
// translated, then the trace settings page. `zelsim` and its folder play the boot script.
bool traceShots(MainWindow& window, GuiSettings& settings, const std::filesystem::path& out, const std::string& zelsim,
                const std::string& simDir, const std::string& script) {
    window.run();
    auto& trace = window.trace();
    trace.startTrace();
    const std::string play = "'" + zelsim + "' --dir '" + simDir + "' target-run 0 '" + script + "' 0 4 >/dev/null";
    if (std::system(play.c_str()) != 0) return false;
    QTest::qWait(1500);
    trace.stopTrace();
    trace.displayTrace();
    auto* viewer = trace.viewer();
    if (!viewer) return false;
    bool ok = save(*viewer, out / "zelmor-trace-viewer-original.png");
    viewer->findChild<QPushButton*>(QStringLiteral("translationButton"))->click();
    ok &= save(*viewer, out / "zelmor-trace-viewer-translated.png");
    viewer->reject();
    zel::settings::SettingsUpdate continuous;
    continuous.setBool("EnableSaveTrace2File", true);
    continuous.set("SaveTracePaths", L"/home/user/traces/boot.txt|/home/user/traces/update.txt");
    settings.write(continuous);
    SettingsSheet sheet(&window);
    sheet.addPage(SettingsPageSlot::Trace, QStringLiteral("SPI Trace Setting"), trace.createSettingsPage(sheet));
    sheet.show();
    ok &= save(sheet, out / "zelmor-trace-settings.png");
    sheet.close();
    return ok;
}

// The buffer editor on the loaded image, a few bytes typed over so that they show as differences
// from the file.
bool editorShot(MainWindow& window, const std::filesystem::path& out) {
    window.editor().openEditor();
    auto* editor = window.editor().dialog();
    if (!editor) return false;
    editor->findChild<QLineEdit*>(QStringLiteral("gotoAddress"))->setText(QStringLiteral("44"));
    editor->goToAddress();
    QTest::keyClicks(editor->grid(), QStringLiteral("C0FFEE"));
    const bool ok = save(*editor, out / "zelmor-buffer-editor.png");
    editor->reject();
    return ok;
}

// The "Configure Setting" sheet as the frame builds it for a G2 emulator, opened at `title`.
bool settingsPageShot(MainWindow& window, const QString& title, const std::filesystem::path& file) {
    auto* pins = window.findChild<pins::DeviceSettingsFeature*>(QStringLiteral("deviceSettingsFeature"));
    if (!pins) return false;
    SettingsSheet sheet(&window);
    sheet.addPage(SettingsPageSlot::Trace, QStringLiteral("SPI Trace Setting"), window.trace().createSettingsPage(sheet));
    pins->addPages(sheet);
    auto* list = sheet.findChild<QListWidget*>(QStringLiteral("settingsPageList"));
    const auto found = list->findItems(title, Qt::MatchExactly);
    if (found.isEmpty()) return false;
    list->setCurrentItem(found.front());
    sheet.show();
    const bool ok = save(sheet, file);
    sheet.close();
    return ok;
}

// The pin page, then the RPMC page with two counters set up as a user would.
bool deviceSettingsShots(MainWindow& window, GuiSettings& settings, const std::filesystem::path& out) {
    bool ok = settingsPageShot(window, QStringLiteral("Pin Settings"), out / "zelmor-pin-settings.png");
    zel::settings::SettingsUpdate rpmc;
    rpmc.set("EnableRPMC", L"1");
    rpmc.set("RPMCCounter1Init", L"1");
    rpmc.set("RPMCKey1", L"00112233445566778899AABBCCDDEEFF00112233445566778899AABBCCDDEEFF");
    rpmc.set("RPMCCounterValue1", L"00000010");
    rpmc.set("RPMCCounter3Init", L"1");
    rpmc.set("RPMCCounterValue3", L"000000FF");
    settings.write(rpmc);
    ok &= settingsPageShot(window, QStringLiteral("RPMC Setting"), out / "zelmor-rpmc-settings.png");
    return ok;
}

// The "Configure Setting" sheet as Configure opens it, on its first page: Batch Operation.
bool batchShot(MainWindow& window, const std::filesystem::path& out) {
    bool ok = false;
    QTimer::singleShot(0, [&] {
        auto* sheet = qobject_cast<SettingsSheet*>(QApplication::activeModalWidget());
        if (!sheet) return;
        ok = save(*sheet, out / "zelmor-batch.png");
        sheet->reject();
    });
    window.configure();
    if (!ok) std::fprintf(stderr, "zelmor_screenshots: the settings sheet did not open\n");
    return ok;
}

// The target's terminal chat with every message type in the main view's terminal (op-code 0xE5,
// the sample look-up and check-point tables) and in the viewer, then the settings page, then the register tester
// after a few steps. The sample files lie beside the boot script's folder in the source tree.
bool terminalShots(MainWindow& window, GuiSettings& settings, const std::filesystem::path& out,
                   const std::string& zelsim, const std::string& simDir, const std::filesystem::path& bootScript) {
    const auto source = bootScript.parent_path().parent_path().parent_path();
    auto stored = terminal_settings::TerminalSettings::read(settings);
    stored.dedicated = true;
    stored.opcode = 0xE5;
    stored.translateCheckPoints = true;
    stored.chooseFiles((source / "data/terminal/lookup.txt").string(), (source / "data/terminal/checkpoints.txt").string());
    settings.write(stored.changes());
    auto* feature = window.findChild<TerminalFeature*>();
    if (!feature) return false;
    feature->panel()->start();
    const std::string play = "'" + zelsim + "' --dir '" + simDir + "' target-run 0 '" +
                             (source / "sim/scripts/terminal_types.zts").string() + "' 0 3 >/dev/null";
    if (std::system(play.c_str()) != 0) return false;
    QTest::qWait(1500);
    bool ok = save(window, out / "zelmor-terminal.png");
    feature->panel()->stop();
    feature->openViewer();
    if (!feature->viewer()) return false;
    ok &= save(*feature->viewer(), out / "zelmor-terminal-viewer.png");
    feature->viewer()->reject();

    SettingsSheet sheet(&window);
    sheet.addPage(SettingsPageSlot::Terminal, QStringLiteral("SPI Hyper Terminal"), feature->createSettingsPage(sheet));
    sheet.show();
    ok &= save(sheet, out / "zelmor-terminal-settings.png");
    sheet.close();

    feature->testerAction()->trigger();
    auto* tester = feature->tester();
    if (!tester) return false;
    tester->findChild<QPushButton*>(QStringLiteral("testerReadRegisterButton"))->click();
    tester->findChild<QLineEdit*>(QStringLiteral("testerHexEdit"))->setText(QStringLiteral("12 34 56"));
    tester->findChild<QPushButton*>(QStringLiteral("testerWriteHexButton"))->click();
    tester->findChild<QPushButton*>(QStringLiteral("testerReadUFifoButton"))->click();
    ok &= save(*tester, out / "zelmor-terminal-tester.png");
    tester->close();
    return ok;
}

bool waitIdle(MainWindow& window) {
    while (window.operationBusy()) QTest::qWait(10);
    return true;
}

// A firmware update from the container the prompter names, caught while its pages go.
bool firmwareUpdateShot(MainWindow& window, const std::filesystem::path& out) {
    auto* firmware = window.findChild<help::FirmwareFeature*>();
    if (!firmware) return false;
    const int from = window.logModel().rowCount();
    firmware->manualUpdate();
    auto* progress = window.findChild<QProgressBar*>(QStringLiteral("operationProgress"));
    while (window.operationBusy() && progress->value() < 30) QTest::qWait(5);
    bool ok = save(window, out / "zelmor-firmware-update.png", 30);
    ok &= waitFor(window, QStringLiteral("Firmware Update Complete!"), from);
    waitIdle(window);
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    if (argc != 4 && argc != 7 && argc != 8) {
        std::fprintf(stderr,
                     "usage: zelmor_screenshots OUTPUT-FOLDER CHIP.cfg IMAGE [ZELSIM SIM-FOLDER BOOT-SCRIPT [FIRMWARE.vkfw]]\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    const std::filesystem::path programFolder = zel::fileio::programFolder();
    zel::session::ZelapiDevices api;
    ZelapiHolder holder;
    FixedPrompter prompter(argv[2], argv[3]);
    GuiSettings settings(zel::settings::userSettingsFolder(), {programFolder / "templates"});
    zel::session::ApiSession session(api);
    bool ok = true;
    {
        MainWindow window({api, holder, settings, prompter, programFolder / "config" / "ZelmorPro", std::nullopt, false});
        window.resize(1100, 800);
        window.show();
        window.start();
        QApplication::processEvents();
        std::printf("start to a shown, populated main window: %lld ms\n", static_cast<long long>(sinceStart.elapsed()));
        ok &= save(window, out / "zelmor-idle.png");

        window.selectChip(0);
        window.loadFile(0);
        waitIdle(window);
        int from = window.logModel().rowCount();
        window.download();
        auto* progress = window.findChild<QProgressBar*>(QStringLiteral("operationProgress"));
        while (window.operationBusy() && progress->value() < 40) QTest::qWait(5);
        ok &= save(window, out / "zelmor-download.png", 30);
        ok &= waitFor(window, QStringLiteral("Download Complete"), from);
        waitIdle(window);
        from = window.logModel().rowCount();
        window.verify();
        ok &= waitFor(window, QStringLiteral("Verify Pass"), from);
        waitIdle(window);
        ok &= save(window, out / "zelmor-verify-pass.png");
        ok &= editorShot(window, out);

        ok &= batchShot(window, out);

        ChipSelectDialog chips(ChipCatalogue::read(programFolder / "config" / "ZelmorPro", bufferLimit(true)), true,
                               QStringLiteral("W25Q16JV"), &window);
        chips.show();
        ok &= save(chips, out / "zelmor-chip-selection.png");
        chips.close();

        LoadFileChoice previous;
        previous.path = argv[3];
        previous.format = formatForPath(previous.path);
        LoadFileDialog load(previous, {QString::fromLocal8Bit(argv[3])}, &window);
        load.show();
        ok &= save(load, out / "zelmor-load-file.png");
        load.close();

        if (argc >= 7) {
            ok &= traceShots(window, settings, out, argv[4], argv[5], argv[6]);
            ok &= terminalShots(window, settings, out, argv[4], argv[5], argv[6]);
        }
        ok &= deviceSettingsShots(window, settings, out);
        if (argc == 8) {
            prompter.firmware = argv[7];
            window.stop();
            ok &= firmwareUpdateShot(window, out);
        }
    }
    return ok ? 0 : 1;
}
