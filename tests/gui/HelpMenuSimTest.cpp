// The Help menu driven through its real actions against zelsim: a firmware update from a
// zelfwbuild container with its progress, the closed window and the new version after a re-plug;
// an update cancelled or broken by an injected fault that leaves the old firmware booting; the
// refused confirmation; the voltage firmware exchange with and without a release; the factory
// serial-number page; and the plain items (about box, calculator, manual).
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>

#include "FirmwareFeature.h"
#include "GuiWorld.h"
#include "HelpFeature.h"
#include "SerialNumberDialog.h"

using zel::gui::test::GuiWorld;

namespace {

// Whether an update reached the on-board flash: prepare, chip and sector erase, page program.
bool flashTouched(const GuiWorld& world) {
    for (const auto& frame : world.sim.commandFrames(0))
        for (std::uint8_t opcode : {0x36, 0x31, 0x37, 0x34})
            if (frame[0] == opcode) return true;
    return false;
}

bool buildFirmware(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral(ZELFWBUILD_PATH), arguments) == 0;
}

// A container at a path far longer than 260 characters: it must reach the device library whole.
std::filesystem::path deepContainer(const GuiWorld& world) {
    auto folder = world.home.path() / std::string(100, 'f') / std::string(100, 'w') / std::string(80, 'u');
    std::filesystem::create_directories(folder);
    return folder / "update.vkfw";
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < timeoutMs) QTest::qWait(10);
    return condition();
}

std::string bootedFirmware(GuiWorld& world) {
    world.sim.control("unplug 0");
    if (!world.waitForLine("deviceStatus", QStringLiteral("Device Not Ready"))) return "still present";
    world.sim.control("replug 0");
    if (!world.waitForLine("deviceStatus", QStringLiteral("Device Ready"))) return "not back";
    return world.window->control().identity().firmwareText;
}

class RecordingLauncher final : public zel::gui::help::DesktopLauncher {
public:
    QList<QUrl>* opened;
    QStringList* started;
    RecordingLauncher(QList<QUrl>* urls, QStringList* programs) : opened(urls), started(programs) {}
    bool openUrl(const QUrl& url) override {
        *opened << url;
        return true;
    }
    bool startProgram(const QString& program) override {
        *started << program;
        return true;
    }
};

}  // namespace

class HelpMenuSimTest : public QObject {
    Q_OBJECT

private slots:
    void firmwareUpdateFromAContainerShowsTheNewVersionAfterReplug() {
        GuiWorld world({"gen=2,serial=204711,speed=1"});
        QCOMPARE(QString::fromStdString(world.window->control().identity().firmwareText), QStringLiteral("2.095"));
        const auto container = deepContainer(world);
        QVERIFY(container.string().size() > 260);
        QVERIFY(buildFirmware({"container", QString::fromStdString(container.string()), "--mcu", "3.6", "--fpga", "2.97",
                               "--fpga-size", "262144", "--mcu-size", "131072"}));
        world.prompter.firmware = container;
        auto* update = world.action("firmwareUpdateAction");
        QVERIFY(update->isEnabled());
        update->trigger();
        QCOMPARE(world.prompter.confirmed,
                 QStringList{"Firmware update is going to start.\nUSB can not be unplug during firmware update"});
        QVERIFY(world.waitForLog("Firmware Updating...Please wait...."));
        QVERIFY(world.window->operationBusy());
        for (const char* name : {"firmwareUpdateAction", "downloadAction", "selectChipAction", "configureAction",
                                 "serialNumberAction", "readAction"})
            QVERIFY2(!world.action(name)->isEnabled(), name);
        auto* progress = world.window->findChild<QProgressBar*>(QStringLiteral("operationProgress"));
        QVERIFY(waitFor([&] { return progress->value() > 0 && progress->value() < 100; }));
        QVERIFY(!world.window->close());
        QVERIFY(world.window->isVisible());
        QVERIFY(world.waitForLog("Firmware Update Complete!"));
        QVERIFY(world.waitIdle());
        QVERIFY(world.prompter.shown.contains("Firmware update finished! Please re-plug the emulator."));
        QVERIFY(update->isEnabled());
        QCOMPARE(bootedFirmware(world), std::string("2.097"));
    }

    void cancelledOrFaultedUpdateLeavesTheOldFirmwareBootable() {
        GuiWorld world({"gen=2,serial=204711"});
        const auto container = world.home.path() / "update.vkfw";
        QVERIFY(buildFirmware({"container", QString::fromStdString(container.string()), "--mcu", "3.6", "--fpga", "2.97"}));
        world.prompter.firmware = container;

        // Cancel while the update still reads the version: it stops before the flash is touched.
        world.sim.clearLog(0);
        world.sim.control("stall 0 on");
        world.action("firmwareUpdateAction")->trigger();
        QTest::mouseClick(world.window->findChild<QPushButton*>(QStringLiteral("cancelButton")), Qt::LeftButton);
        world.sim.control("stall 0 off");
        QVERIFY(world.waitForLog("the emulator keeps its firmware"));
        QVERIFY(world.waitIdle());
        QVERIFY(!flashTouched(world));
        QVERIFY(!world.prompter.shown.contains("Firmware update failed!"));
        QCOMPARE(bootedFirmware(world), std::string("2.095"));

        // A page write cut short: the images fail, the boot marker is never written.
        const int from = world.rows();
        world.sim.control("cut 0 100");
        world.action("firmwareUpdateAction")->trigger();
        QVERIFY(world.waitForLog("Error: the firmware update from " + QString::fromStdString(container.string()) + " failed", from));
        QVERIFY(world.waitIdle());
        QVERIFY(world.prompter.shown.contains("Firmware update failed!"));
        QCOMPARE(bootedFirmware(world), std::string("2.095"));
    }

    void cancellingTheConfirmationLeavesTheDeviceUntouched() {
        GuiWorld world({"gen=2,serial=204711"});
        const auto container = world.home.path() / "update.vkfw";
        QVERIFY(buildFirmware({"container", QString::fromStdString(container.string()), "--mcu", "3.6", "--fpga", "2.97"}));
        world.prompter.firmware = container;
        world.prompter.confirmAnswer = false;
        world.sim.clearLog(0);
        world.action("firmwareUpdateAction")->trigger();
        QVERIFY(world.waitForLog("Stop to update firmware."));
        QVERIFY(!world.window->operationBusy());
        QVERIFY(!world.waitForLog("Firmware Updating", 0, 300));
        QVERIFY(!flashTouched(world));

        // Not a container: refused before anything is asked.
        world.prompter.confirmed.clear();
        world.prompter.firmware = world.home.path();
        world.action("firmwareUpdateAction")->trigger();
        QVERIFY(world.waitForLog("is not a firmware file"));
        QVERIFY(world.prompter.confirmed.isEmpty());
    }

    void voltageFirmwareExchangeFindsItsReleaseOrSaysWhyNot() {
        // First generation, FPGA 2.91 as its 1.8 V image on hardware 2.27.
        GuiWorld world({"gen=1,serial=42,fw=0x021B825B"});
        auto* feature = world.window->findChild<zel::gui::help::FirmwareFeature*>();
        zel::test::TempDir firmware;
        feature->setFirmwareFolder(firmware.path());
        QVERIFY(world.action("voltage33Action")->isEnabled());
        QVERIFY(buildFirmware({"folder", QString::fromStdString((firmware / "ZelmorProFW_0227091_3V3").string()), "--mcu",
                               "2.27", "--fpga", "2.91", "--fpga-size", "131072", "--mcu-size", "65536"}));

        world.sim.clearLog(0);
        world.action("voltage18Action")->trigger();
        QVERIFY(world.waitForLog("Error: no firmware folder named like ZelmorProFW_0227091_1V8 in " +
                                 QString::fromStdString(firmware.path().string())));
        QVERIFY(world.prompter.confirmed.isEmpty());

        world.action("voltage33Action")->trigger();
        QCOMPARE(world.prompter.confirmed, QStringList{"Voltage Firmware will be updated, please do not remove the USB power."});
        QVERIFY(world.waitForLog("Voltage Change Success!"));
        QVERIFY(world.waitIdle());
        QVERIFY(world.prompter.shown.contains(
            "Voltage Firmware updated.  Please disconnect the USB and then re-plug the emulator."));
        QCOMPARE(bootedFirmware(world), std::string("2.091 (3.3V)"));
    }

    void firmwareWithoutAReleaseFindsNoFileAndStartsNoUpdate() {
        // FPGA minor version 95 has voltage variants but no release in the table.
        {
            GuiWorld world({"gen=1,serial=42,fw=0x021E025F"});
            auto* feature = world.window->findChild<zel::gui::help::FirmwareFeature*>();
            zel::test::TempDir firmware;
            std::filesystem::create_directories(firmware / "ZelmorProFW_0230095_3V3");
            feature->setFirmwareFolder(firmware.path());
            world.sim.clearLog(0);
            world.action("voltage33Action")->trigger();
            QVERIFY(world.waitForLog("Error: no 3.3V firmware is known for firmware version 95 on hardware 2.30; nothing was updated."));
            QVERIFY(world.prompter.confirmed.isEmpty());
            QVERIFY(!world.window->operationBusy());
            QVERIFY(!flashTouched(world));
        }
        // A G2 emulator has no voltage variants: the items stay off.
        GuiWorld g2({"gen=2,serial=7"});
        QVERIFY(!g2.action("voltage33Action")->isEnabled());
        QVERIFY(g2.action("firmwareUpdateAction")->isEnabled());
    }

    void serialNumberPageWritesOnceAndTheNewNumberShows() {
        GuiWorld world({"gen=2,blank=1"});
        QCOMPARE(world.line("serialLine"), QStringLiteral("N.A"));
        world.prompter.serialNumber = 204711;
        world.action("serialNumberAction")->trigger();
        QVERIFY(world.waitForLog("Serial number ZL204711 written."));
        QVERIFY(world.waitForLine("serialLine", QStringLiteral("ZL204711")));
        // Programming only clears bits: a number that needs one set again is refused by the read-back.
        world.prompter.serialNumber = 0xFFFFF;
        world.action("serialNumberAction")->trigger();
        QVERIFY(world.waitForLog("Error: the serial number ZL1048575 did not read back as written"));

        // The page's Write follows the input rules.
        zel::gui::help::SerialNumberDialog page(QStringLiteral("1: ZL204711"));
        auto* input = page.findChild<QLineEdit*>(QStringLiteral("serialNumberInput"));
        auto* write = page.findChild<QPushButton*>(QStringLiteral("serialNumberWrite"));
        QVERIFY(!write->isEnabled());
        input->setText(QStringLiteral("VK204711"));
        QVERIFY(!write->isEnabled());
        QVERIFY(page.findChild<QLabel*>(QStringLiteral("serialNumberVerdict"))->text().contains("VK numbers lie below 100000"));
        input->setText(QStringLiteral(" zl204712"));
        QVERIFY(write->isEnabled());
        QCOMPARE(page.serialNumber(), std::optional<std::uint32_t>(204712));
    }

    // A save that cannot open, write or close its file says so and never reports success.
    void saveBufferReportsAFailedWriteAsAnError() {
        GuiWorld world({"gen=2,serial=204711"});
        const auto image = world.home.path() / "image.bin";
        zel::test::writeBytes(image, std::string(0x10000, '\x5a'));
        world.prompter.chip = "W25Q16JV.cfg";
        world.prompter.image = image;
        world.action("selectChipAction")->trigger();
        world.action("loadFileAction")->trigger();
        QVERIFY(world.waitIdle());
        for (const std::filesystem::path& target : {world.home.path() / "missing" / "saved.bin", std::filesystem::path("/dev/full")}) {
            const int from = world.rows();
            world.prompter.saveAs = target;
            world.action("saveBufferAction")->trigger();
            QVERIFY(world.waitIdle());
            QVERIFY(world.waitForLog(QString::fromStdString("Error: the buffer could not be saved to " + target.string()), from));
            QVERIFY(!world.waitForLog("Save Buffer Complete!", from, 100));
        }
    }

    void plainItemsStandInOrderAndOpenWhatTheySay() {
        GuiWorld world({"gen=2,serial=204711"});
        QMenu* help = nullptr;
        for (QAction* menu : world.window->menuBar()->actions())
            if (menu->text() == QStringLiteral("&Help")) help = menu->menu();
        QVERIFY(help);
        QStringList items;
        for (QAction* item : help->actions()) items << item->text();
        QCOMPARE(items, (QStringList{"Voltage Firmware Selection( ZelmorPro only)", "Firmware &Manual Update",
                                     "Serial Number", "&Launch Calculater", "SPI HyperTermainl tester", "User &Manual",
                                     "&About Varnik..."}));

        world.action("aboutAction")->trigger();
        QVERIFY(!world.prompter.shown.isEmpty());
        QVERIFY(world.prompter.shown.last().contains("Supported flash series:\n"));
        QVERIFY(world.prompter.shown.last().contains("Winbond: W25Q, W25X\n"));

        auto* feature = world.window->findChild<zel::gui::help::HelpFeature*>();
        QList<QUrl> opened;
        QStringList started;
        feature->setLauncher(std::make_unique<RecordingLauncher>(&opened, &started));
        feature->setCalculator({});
        QVERIFY(!world.action("calculatorAction")->isEnabled());
        QVERIFY(world.action("calculatorAction")->toolTip().contains("No desktop calculator"));
        feature->setCalculator(QStringLiteral("/usr/bin/xcalc"));
        world.action("calculatorAction")->trigger();
        QCOMPARE(started, QStringList{"/usr/bin/xcalc"});

        world.action("manualAction")->trigger();
        QCOMPARE(opened.size(), 1);
        QVERIFY2(opened[0].isLocalFile() && (opened[0].path().endsWith("/help.pdf") ||
                                             opened[0].path().endsWith("/manual/zelmor-manual.html")),
                 qPrintable(opened[0].toString()));
        QVERIFY(std::filesystem::is_regular_file(opened[0].toLocalFile().toStdString()));
    }
};

QTEST_MAIN(HelpMenuSimTest)
#include "HelpMenuSimTest.moc"
