// The batch through the real window against a zelsim with two emulators: the page chooses the
// operations and emulators, the Batch command downloads, verifies and starts each emulator with
// its own image; a fault stops the batch with its reason and never reports success.
#include <QApplication>
#include <QListWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolBar>
#include <QComboBox>

#include <fstream>
#include <random>

#include "GuiWorld.h"
#include "SettingsSheet.h"
#include "settings/SettingsKeys.h"

using zel::gui::test::GuiWorld;

namespace {

std::vector<std::uint8_t> randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
    return bytes;
}

std::string hexText(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char pair[3];
    for (auto byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += pair;
    }
    return text;
}

std::string withoutBlanks(std::string text) {
    std::erase_if(text, [](char c) { return c == ' ' || c == '\n'; });
    return text;
}

std::filesystem::path writeImage(const GuiWorld& world, const char* name, const std::vector<std::uint8_t>& bytes) {
    const auto file = world.home.path() / name;
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return file;
}

void chooseEmulator(GuiWorld& world, int index) {
    auto* selector = world.window->findChild<QComboBox*>(QStringLiteral("deviceSelector"));
    selector->setCurrentIndex(index);
    emit selector->activated(index);
}

// Each emulator gets the W25Q16JV and an image of its own; the window works on the first again.
void chipAndImageOnBoth(GuiWorld& world, const std::filesystem::path& first, const std::filesystem::path& second) {
    world.prompter.chip = "W25Q16JV.cfg";
    for (const auto& [index, image] : {std::pair{1, second}, std::pair{0, first}}) {
        chooseEmulator(world, index);
        world.action("selectChipAction")->trigger();
        world.prompter.image = image;
        world.action("loadFileAction")->trigger();
        QVERIFY(world.waitIdle());
    }
}

bool emulating(const GuiWorld& world, int device) { return (world.sim.reg(device, 0x28) & 1) == 1; }

}  // namespace

class BatchSimTest : public QObject {
    Q_OBJECT

private slots:
    void batchDownloadsVerifiesAndStartsTwoEmulators() {
        GuiWorld world({"gen=2,serial=204711,speed=8", "gen=2,serial=42,speed=8"});
        const auto first = randomBytes(0x20000, 1);
        const auto second = randomBytes(0x18000, 2);
        chipAndImageOnBoth(world, writeImage(world, "one.bin", first), writeImage(world, "two.bin", second));
        QVERIFY(!QTest::currentTestFailed());

        // The command stands before Configure with Ctrl+B.
        QAction* batch = world.action("batchAction");
        QCOMPARE(batch->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));
        auto* toolbar = world.window->findChild<QToolBar*>(QStringLiteral("operationsToolbar"));
        const auto actions = toolbar->actions();
        QCOMPARE(actions.indexOf(batch) + 1, actions.indexOf(world.action("configureAction")));

        // The page: operations added out of order are listed in the order they run.
        QStringList titles, chosen;
        bool splitShown = true;
        QTimer::singleShot(0, [&] {
            auto* sheet = qobject_cast<zel::gui::SettingsSheet*>(QApplication::activeModalWidget());
            if (!sheet) return;
            auto* pages = sheet->findChild<QListWidget*>(QStringLiteral("settingsPageList"));
            for (int row = 0; row < pages->count(); ++row) titles << pages->item(row)->text();
            // The template chooses stop, download, verify and start: all go, three come back.
            auto* list = sheet->findChild<QListWidget*>(QStringLiteral("chosenOperationList"));
            auto* remove = sheet->findChild<QPushButton*>(QStringLiteral("removeOperationButton"));
            while (list->count() > 0) {
                list->setCurrentRow(list->count() - 1);
                QTest::mouseClick(remove, Qt::LeftButton);
            }
            auto* available = sheet->findChild<QListWidget*>(QStringLiteral("availableOperationList"));
            auto* add = sheet->findChild<QPushButton*>(QStringLiteral("addOperationButton"));
            for (int row : {4, 2, 3, 2}) {
                available->setCurrentRow(row);
                QTest::mouseClick(add, Qt::LeftButton);
            }
            for (int row = 0; row < list->count(); ++row) chosen << list->item(row)->text();
            auto* emulators = sheet->findChild<QListWidget*>(QStringLiteral("batchEmulatorList"));
            for (int row = 0; row < emulators->count(); ++row) emulators->item(row)->setCheckState(Qt::Checked);
            sheet->findChild<QRadioButton*>(QStringLiteral("fillRadio"))->setChecked(true);
            sheet->findChild<QLineEdit*>(QStringLiteral("fillValueEdit"))->setText(QStringLiteral("a5"));
            splitShown = sheet->findChild<QWidget*>(QStringLiteral("splitFileCheck"))->isVisibleTo(sheet);
            sheet->accept();
        });
        world.action("configureAction")->trigger();
        QCOMPARE(titles.value(0), QStringLiteral("Batch Operation"));
        QCOMPARE(chosen, (QStringList{"Download to Emulator", "Verify from Emulator", "Start Emulation"}));
        QVERIFY(!splitShown);  // G2 emulators
        QCOMPARE(world.settings->get(zel::settings::keys::kBatchOptions), std::wstring(L"1c"));
        QCOMPARE(world.settings->get("BatchEmulators"), std::wstring(L"31fa7,2a"));

        const int from = world.rows();
        world.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(world.window.get()));
        QTest::keySequence(world.window.get(), QKeySequence(Qt::CTRL | Qt::Key_B));
        QVERIFY(world.window->operationBusy());
        QVERIFY(!batch->isEnabled());
        QVERIFY(world.waitForLog("Batch Operation Complete", from, 30000));
        QVERIFY(world.waitIdle());
        QVERIFY(world.waitForLog("Batch on emulator 2: VK000042", from));
        QVERIFY(world.waitForLog("Fill other Memory area with 0xA5", from));
        for (int device : {0, 1}) QVERIFY2(emulating(world, device), "an emulator of the batch is not emulating");
        QCOMPARE(withoutBlanks(world.sim.control("mem 0 0 0x20004")), hexText(first) + "a5a5a5a5");
        QCOMPARE(withoutBlanks(world.sim.control("mem 1 0 0x18004")), hexText(second) + "a5a5a5a5");
        // The window works on the emulator it worked on before, which now emulates.
        QCOMPARE(world.line("serialLine"), QStringLiteral("ZL204711"));
        QVERIFY(world.action("stopAction")->isEnabled());
        QVERIFY(batch->isEnabled());
    }

    void aFaultStopsTheBatchAndItNeverReportsSuccess() {
        GuiWorld world({"gen=2,serial=204711,speed=8", "gen=2,serial=42,speed=8"});
        const auto first = randomBytes(0x10000, 3);
        const auto second = randomBytes(0x10000, 4);
        chipAndImageOnBoth(world, writeImage(world, "one.bin", first), writeImage(world, "two.bin", second));
        QVERIFY(!QTest::currentTestFailed());
        zel::settings::SettingsUpdate batch;
        batch.set(zel::settings::keys::kBatchOptions, L"1d");  // stop, download, verify, start
        batch.setBool(zel::settings::keys::kRequireFillValue, false);
        batch.set("BatchEmulators", L"31fa7,2a");
        QVERIFY(!world.settings->write(batch));
        world.sim.control("fill 1 0 0x100 0x00");

        // The first emulator stores one byte wrong: its verify fails, it is not started and the
        // second emulator is left as it was.
        world.sim.control("corrupt 0 0x40");
        int from = world.rows();
        world.action("batchAction")->trigger();
        QVERIFY(world.waitForLog("Error: Batch Operation stopped: Verify from Emulator on emulator 1: ZL204711", from, 30000));
        QVERIFY(world.waitIdle());
        QVERIFY(world.waitForLog("Verify Fail. Checksum is different.", from));
        QVERIFY(!world.waitForLog("Batch Operation Complete", from, 300));
        QVERIFY(!world.waitForLog("Batch on emulator 2", from, 10));
        QVERIFY(!emulating(world, 0));
        QVERIFY(!emulating(world, 1));
        QCOMPARE(withoutBlanks(world.sim.control("mem 1 0 4")), std::string("00000000"));

        // The second emulator's transfers fail during its download: the batch says where.
        world.sim.control("cut 1 4096");
        from = world.rows();
        world.action("batchAction")->trigger();
        QVERIFY(world.waitForLog("Error: Batch Operation stopped: Download to Emulator on emulator 2: VK000042", from, 30000));
        QVERIFY(world.waitIdle());
        QVERIFY(world.waitForLog("Download Failed", from));
        QVERIFY(!world.waitForLog("Batch Operation Complete", from, 300));
        QVERIFY(emulating(world, 0));  // the first one verified and runs
        QVERIFY(!emulating(world, 1));

        // An emulator without a file refuses the batch before any emulator is touched.
        chooseEmulator(world, 1);
        world.prompter.image = world.home.path() / "missing.bin";
        world.action("loadFileAction")->trigger();
        QVERIFY(world.waitIdle());
        chooseEmulator(world, 0);
        from = world.rows();
        world.action("batchAction")->trigger();
        QVERIFY(world.waitForLog("Error: The File is not setted. (emulator 2: VK000042)", from));
        QVERIFY(world.waitForLog("Error: Batch Operation is not started", from));
        QVERIFY(!world.window->operationBusy());
        QVERIFY(!world.waitForLog("Batch on emulator", from, 10));
        QVERIFY(!world.waitForLog("Downloading", from, 10));
        QVERIFY(emulating(world, 0));
    }

    // Cancel ends the batch in the step it is in; the next emulator is not touched.
    void cancelEndsTheBatchWhereItIs() {
        GuiWorld world({"gen=2,serial=204711,speed=2", "gen=2,serial=42,speed=2"});
        const auto image = randomBytes(0x200000, 5);
        const auto file = writeImage(world, "big.bin", image);
        chipAndImageOnBoth(world, file, file);
        QVERIFY(!QTest::currentTestFailed());
        zel::settings::SettingsUpdate batch;
        batch.set(zel::settings::keys::kBatchOptions, L"1c");  // download, verify, start
        batch.set("BatchEmulators", L"31fa7,2a");
        QVERIFY(!world.settings->write(batch));
        const int from = world.rows();
        world.action("batchAction")->trigger();
        QVERIFY(world.waitForLog("Downloading", from));
        QTest::qWait(150);
        auto* cancel = world.window->findChild<QPushButton*>(QStringLiteral("cancelButton"));
        QVERIFY(cancel->isEnabled());
        QTest::mouseClick(cancel, Qt::LeftButton);
        QVERIFY(world.waitForLog("Error: Batch Operation cancelled at Download to Emulator on emulator 1: ZL204711", from));
        QVERIFY(world.waitIdle());
        QVERIFY(!world.waitForLog("Batch on emulator 2", from, 300));
        QVERIFY(!world.waitForLog("Batch Operation Complete", from, 10));
        QVERIFY(!emulating(world, 0) && !emulating(world, 1));
        QVERIFY(world.action("batchAction")->isEnabled());
    }
};

QTEST_MAIN(BatchSimTest)
#include "BatchSimTest.moc"
