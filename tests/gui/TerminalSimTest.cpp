// The desktop program's hyper terminal in the real window against zelsim, offscreen: the
// settings page stores and restores its choices and the sheet refuses an op-code the chip's maker
// uses; Start refuses without a chip and starts with the stored op-code; the viewer lists the
// rows and its Search wraps; the command-line tool's notice stops the terminal through its
// handshake; the register tester keeps off a running terminal and splits long dFIFO writes.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "GuiWorld.h"
#include "HtTesterDialog.h"
#include "SettingsSheet.h"
#include "TerminalLogModel.h"
#include "TerminalPanel.h"
#include "TerminalSettings.h"
#include "TerminalViewerDialog.h"

namespace {

using zel::gui::test::GuiWorld;
using zel::gui::terminal_settings::TerminalSettings;

std::string scriptPath(const char* name) { return std::string(ZEL_SOURCE_DIR) + "/sim/scripts/" + name; }

bool waitUntil(const std::function<bool()>& done, int timeoutMs = 15000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QTest::qWait(10);
    }
    return true;
}

int runBeside(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(5000)) return -1;
    while (!waitUntil([&] { return process.state() == QProcess::NotRunning || process.waitForFinished(0); }, 30000)) {}
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
}

struct TerminalWorld : GuiWorld {
    TerminalWorld() : GuiWorld({"gen=2,serial=204711"}) {}
    void chooseWinbondChip() {
        prompter.chip = "W25Q16JV.cfg";
        action("selectChipAction")->trigger();
        QVERIFY(waitIdle());
    }
    zel::gui::TerminalPanel& panel() const { return *window->findChild<zel::gui::TerminalPanel*>("terminalPanel"); }
    template <typename T = QPushButton>
    T* find(QWidget* in, const char* name) const {
        return in->findChild<T*>(QString::fromLatin1(name));
    }
    // Opens the settings sheet and runs `onSheet` on it from inside its modal loop.
    void configure(const std::function<void(zel::gui::SettingsSheet&)>& onSheet) {
        QTimer::singleShot(0, [&] {
            auto* sheet = qobject_cast<zel::gui::SettingsSheet*>(QApplication::activeModalWidget());
            if (sheet) onSheet(*sheet);
            if (sheet && sheet->isVisible()) sheet->reject();
        });
        action("configureAction")->trigger();
    }
    void playChat(const char* script) { sim.control("target-run 0 " + scriptPath(script)); }
};

}  // namespace

class TerminalSimTest : public QObject {
    Q_OBJECT

private slots:
    void settingsPageStoresItsChoicesAndTheSheetRefusesATakenOpcode() {
        TerminalWorld world;
        world.find(world.window.get(), "terminalStartButton")->click();
        QCOMPARE(world.prompter.shown.value(0), QStringLiteral("The Chip is not setted."));
        QVERIFY(!world.panel().running());
        world.chooseWinbondChip();

        const auto lookUp = std::filesystem::path(ZEL_SOURCE_DIR) / "data/terminal/lookup.txt";
        world.prompter.openFile = lookUp;
        world.prompter.colour = 0x123456;
        bool refused = false;
        world.configure([&](zel::gui::SettingsSheet& sheet) {
            world.find<QRadioButton>(&sheet, "dedicatedOption")->click();
            world.find<QLineEdit>(&sheet, "opcodeEdit")->setText("9f");
            world.find(&sheet, "lookUpFindButton")->click();
            world.find(&sheet, "asciiColour")->click();
            sheet.accept();
            refused = sheet.isVisible();
            world.find<QLineEdit>(&sheet, "opcodeEdit")->setText("e5");
            sheet.accept();
        });
        QVERIFY(refused);
        QCOMPARE(world.prompter.shown.value(1), QStringLiteral("This OP code is used by SPI flash.\nPlease select another one."));

        const auto stored = TerminalSettings::read(zel::gui::GuiSettings(world.settings->path().parent_path(), {}));
        QVERIFY(stored.dedicated);
        QCOMPARE(stored.opcode, 0xE5);
        QCOMPARE(stored.lookUpFile, lookUp.string());
        QCOMPARE(stored.colours.rgb[2], 0x123456u);
        QString shownOpcode, shownLookUp;
        world.configure([&](zel::gui::SettingsSheet& sheet) {
            shownOpcode = world.find<QLineEdit>(&sheet, "opcodeEdit")->text();
            shownLookUp = world.find<QComboBox>(&sheet, "lookUpFileCombo")->currentText();
        });
        QCOMPARE(shownOpcode, QStringLiteral("e5"));
        QCOMPARE(shownLookUp, QString::fromStdString(lookUp.string()));

        world.find(world.window.get(), "terminalStartButton")->click();
        QVERIFY(world.panel().running());
        QCOMPARE(world.sim.reg(0, 0x82), 0xE5);
        world.playChat("chat.zts");
        const auto& model = world.panel().logModel();
        QVERIFY(waitUntil([&] {
            world.panel().drainNow();
            return model.rowCount() >= 4;
        }));
        // The stored look-up table and text colour are the ones in use.
        QVERIFY(model.data(model.index(2), Qt::DisplayRole).toString().contains(QStringLiteral("Supply voltage is")));
        QCOMPARE(model.data(model.index(0), Qt::ForegroundRole).value<QBrush>().color().rgb() & 0xFFFFFF, 0x123456u);
        world.find(world.window.get(), "terminalStopButton")->click();
    }
};

QTEST_MAIN(TerminalSimTest)
#include "TerminalSimTest.moc"
