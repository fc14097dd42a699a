// The terminal panel against a simulated target, offscreen: every message type rendered with the
// terminal's texts and colours, check points listed with their type, Send reaching the target
// byte for byte, Save Log, and a Stop that ends the upload.
#include "SimProcess.h"
#include "TempDir.h"
#include "TerminalLogModel.h"
#include "TerminalPanel.h"
#include "ProgramRun.h"
#include "zelapi.h"

#include <QBrush>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

#include <thread>

using namespace zel;
using namespace std::chrono_literals;

class TerminalPanelSimTest : public QObject {
    Q_OBJECT
private slots:
    void everyMessageTypeIsRenderedInItsColourAndSendReachesTheTarget();
};

namespace {

std::string dataFile(const char* name) { return std::string(ZEL_TERMINAL_TABLES) + "/" + name; }

terminal::CodeTable table(const char* name) {
    std::error_code error;
    return *terminal::CodeTable::load(dataFile(name), error);
}

}  // namespace

void TerminalPanelSimTest::everyMessageTypeIsRenderedInItsColourAndSendReachesTheTarget() {
    test::SimProcess sim({"gen=1", "pid=0x1234"});
    sim.exportEnvironment(1000ms);
    for (auto setting : {"0x40 0xef", "0x41 0x4018", "0x42 24", "0x44 1", "0x28 1"})
        sim.control(std::string("set-reg 0 ") + setting);
    QCOMPARE(test::runProgram(ZELINFO_PATH, {"--supply", "3.3", "--device", "1"}).exitCode, 0);
    CliInitialZelmorProDLL();
    {
        gui::TerminalPanel panel;
        QStringList messages;
        connect(&panel, &gui::TerminalPanel::logMessage, [&](const QString& text) { messages << text; });
        gui::TerminalOptions options;
        options.dedicatedOpcode = 0xE5;
        options.tables = {table("lookup.txt"), table("checkpoints.txt"), true};
        panel.setOptions(options);
        panel.show();
        panel.start();
        QVERIFY(panel.running());
        QCOMPARE(sim.reg(0, 0x82), 0xE5);

        panel.findChild<QLineEdit*>()->setText("hello");
        panel.send();
        sim.control("target-run 0 " + std::string(ZEL_SIM_SCRIPTS) + "/terminal_types.zts");
        const auto& model = panel.logModel();
        QTRY_VERIFY_WITH_TIMEOUT(model.rowCount() == 8, 10000);

        const terminal::TextColours colours;
        const std::pair<QString, terminal::TextKind> expected[] = {
            {"#0  a0b1 Memory initialised", terminal::TextKind::CheckPoint},
            {"#1  01 Power on", terminal::TextKind::CheckPoint},
            {"#2  7e7f Boot loader done", terminal::TextKind::CheckPoint},
            {"#3  01 02 03 04 05 06 07 08 ", terminal::TextKind::Hex},
            {"#4  Hello, host!", terminal::TextKind::Ascii},
            {"#5  1.05000000 Seconds", terminal::TextKind::Time},
            {"#6  Supply voltage is 7 volt", terminal::TextKind::LookUp},
            {"#7  done", terminal::TextKind::Ascii}};
        for (int row = 0; row < 8; ++row) {
            const auto index = model.index(row);
            QCOMPARE(model.data(index, Qt::DisplayRole).toString(), expected[row].first);
            QCOMPARE(model.data(index, Qt::ForegroundRole).value<QBrush>().color().rgb() & 0xFFFFFF,
                     colours.of(expected[row].second));
        }
        auto* points = panel.checkPointList();
        QCOMPARE(points->count(), 3);
        QCOMPARE(points->item(2)->text(), QString("7e7f"));
        QCOMPARE(points->item(2)->data(Qt::UserRole).toInt(), 3);
        QVERIFY(sim.control("terminal 0").find("received=68656c6c6f\n") != std::string::npos);

        test::TempDir dir;
        QCOMPARE(panel.saveLogTo(QString::fromStdString((dir / "log.txt").string())), QString());
        QVERIFY(test::readBytes(dir / "log.txt").starts_with("#0  a0b1 Memory initialised\n#1  01 Power on\n"));

        panel.stop();
        QVERIFY(!panel.running());
        QVERIFY(messages.contains("Starting SPI Hyper Terminal..."));
        QCOMPARE(messages.back(), QString("Stop SPI Hyper Terminal..."));
    }
    CliCloseUSBDevice();
    CliCloseZelmorProDLL();
}

QTEST_MAIN(TerminalPanelSimTest)
#include "TerminalPanelSimTest.moc"
