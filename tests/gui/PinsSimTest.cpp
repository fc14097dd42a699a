// The device settings pages in the real window against zelsim: pins reach the emulator's
// registers and the view, the RPMC page's table reaches the emulator at Run, a 4-byte mode change
// is logged, .rpmc files round-trip through the page, and a manual supply follows a chip choice.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <functional>

#include "DeviceSettingsFeature.h"
#include "GuiWorld.h"
#include "RpmcChoices.h"
#include "RpmcSettingsPage.h"
#include "SettingsSheet.h"

using zel::gui::SettingsSheet;
using zel::gui::test::GuiWorld;

namespace {

// Opens the sheet through the Configure action, lets `act` work on it, then confirms it
// (or leaves it when `act` closed it).
void configure(GuiWorld& world, const std::function<void(SettingsSheet&)>& act) {
    QTimer::singleShot(0, [act] {
        auto* sheet = qobject_cast<SettingsSheet*>(QApplication::activeModalWidget());
        if (!sheet) return;
        act(*sheet);
        if (sheet->isVisible()) sheet->accept();
    });
    world.action("configureAction")->trigger();
}

template <class Widget>
Widget* child(QWidget& parent, const char* name) {
    auto* widget = parent.findChild<Widget*>(QString::fromLatin1(name));
    if (!widget) qFatal("no %s", name);
    return widget;
}

QStringList pageTitles(SettingsSheet& sheet) {
    QStringList titles;
    auto* list = child<QListWidget>(sheet, "settingsPageList");
    for (int row = 0; row < list->count(); ++row) titles << list->item(row)->text();
    return titles;
}

bool has(const std::string& text, const char* line) { return text.find(line) != std::string::npos; }

std::string hexOf(const std::uint8_t* bytes, std::size_t length) {
    std::string text;
    char pair[3];
    for (std::size_t i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

void enableRpmc(GuiWorld& world) {
    zel::settings::SettingsUpdate enable;
    enable.set("EnableRPMC", L"1");
    world.settings->write(enable);
}

}  // namespace

class PinsSimTest : public QObject {
    Q_OBJECT
private slots:
    void pinSettingsReachTheEmulatorAndTheView() {
        GuiWorld world({"gen=2"});
        QStringList titles;
        int from = world.rows();
        configure(world, [&](SettingsSheet& sheet) {
            titles = pageTitles(sheet);
            child<QCheckBox>(sheet, "enableResetPin")->setChecked(true);
            child<QRadioButton>(sheet, "misoByExternalBuffer")->setChecked(true);
            child<QRadioButton>(sheet, "holdInput")->setChecked(true);
            child<QRadioButton>(sheet, "chipSelectMode0")->setChecked(true);
        });
        QCOMPARE(titles, (QStringList{"Batch Operation", "SPI Trace Setting", "SPI Hyper Terminal", "Pin Settings",
                                      "Miscellaneous Settings"}));
        std::string pins = world.sim.control("pins 0");
        QVERIFY2(has(pins, "reset=1\n") && has(pins, "hold=3 input\n") && has(pins, "miso-driven=1\n") &&
                     has(pins, "cs-mode=0\n"),
                 pins.c_str());
        QCOMPARE(world.line("holdPinLine"), QStringLiteral("Input by default"));
        QCOMPARE(world.line("resetPinLine"), QStringLiteral("Enable reset pin"));
        QVERIFY(world.waitForLog("Emulator is in 3-byte mode! ", from, 3000));
        QVERIFY(world.settings->get("HoldPinSetting") == L"3" && world.settings->get("MISODrivenSetting") == L"1");

        configure(world, [](SettingsSheet& sheet) {
            QVERIFY(child<QRadioButton>(sheet, "holdInput")->isChecked());  // the page shows the stored choice
            child<QCheckBox>(sheet, "enableResetPin")->setChecked(false);
            child<QRadioButton>(sheet, "misoByFpga")->setChecked(true);
            child<QRadioButton>(sheet, "holdDefaultLow")->setChecked(true);
            child<QRadioButton>(sheet, "chipSelectMode1")->setChecked(true);
        });
        pins = world.sim.control("pins 0");
        QVERIFY2(has(pins, "reset=0\n") && has(pins, "hold=0 low\n") && has(pins, "miso-driven=0\n") &&
                     has(pins, "cs-mode=1\n"),
                 pins.c_str());
        QCOMPARE(world.line("holdPinLine"), QStringLiteral("Default Low"));
        QCOMPARE(world.line("resetPinLine"), QStringLiteral("Disable reset pin"));
    }

    void rpmcPageTableReachesTheEmulatorAtRun() {
        GuiWorld world({"gen=2"});
        enableRpmc(world);
        world.prompter.chip = "W25Q16JV.cfg";
        world.window->selectChip(0);
        zel::gui::pins::RpmcCounters counters;
        configure(world, [&](SettingsSheet& sheet) {
            QVERIFY(pageTitles(sheet).contains(QStringLiteral("RPMC Setting")));
            auto* key = child<QLineEdit>(sheet, "rpmcKey2");
            QVERIFY(!key->isEnabled());
            child<QCheckBox>(sheet, "rpmcInitialized2")->setChecked(true);
            key->clear();
            QTest::keyClicks(key, QStringLiteral("xyz0123-4567"));
            QCOMPARE(key->text(), QStringLiteral("01234567"));  // hex digits only
            emit key->editingFinished();                         // leaving the edit
            QCOMPARE(world.prompter.shown.value(0), QStringLiteral("Error : key2 Please input 64 chars!"));
            QCOMPARE(key->text(), QStringLiteral("01234567"));  // kept: the message only warns
            auto* count = child<QLineEdit>(sheet, "rpmcCount2");
            count->clear();
            QTest::keyClicks(count, QStringLiteral("12"));
            counters = child<zel::gui::pins::RpmcSettingsPage>(sheet, "rpmcSettingsPage")->counters();
        });
        QVERIFY(world.settings->get("RPMCCounterValue2") == L"00000012");
        QVERIFY(world.settings->get("RPMCKey2") == std::wstring(56, L'0') + L"01234567");
        QCOMPARE(world.sim.control("rpmc 0"), std::string("\ndownloads=0\n"));

        const int from = world.rows();
        world.action("runAction")->trigger();
        QVERIFY(world.waitForLog("Start Emulator.", from, 3000));
        const auto table = zel::gui::pins::rpmcTable(counters);
        QCOMPARE(table[16 + 37 + 4], std::uint8_t{0x12});
        QCOMPARE(world.sim.control("rpmc 0"), hexOf(table.data() + 16, table.size() - 16) + "\ndownloads=1\n");
    }

    void fourByteModeChangeLogsTheNewMode() {
        GuiWorld world({"gen=2"});
        world.prompter.chip = "W25Q256JV-IM.cfg";
        world.window->selectChip(0);
        const std::uint16_t threeByte = world.sim.reg(0, 0x4F);
        int from = world.rows();
        configure(world, [](SettingsSheet& sheet) {
            auto* box = child<QCheckBox>(sheet, "fourByteMode");
            QVERIFY(box->isEnabled() && !box->isChecked());
            box->setChecked(true);
        });
        QVERIFY(world.waitForLog("Emulator is in 4-byte mode! ", from, 3000));
        QVERIFY(world.window->control().state().pins.fourByteMode);
        QVERIFY(world.sim.reg(0, 0x4F) != threeByte);

        world.prompter.chip = "W25Q16JV.cfg";  // 3-byte addressing only
        world.window->selectChip(0);
        from = world.rows();
        configure(world, [](SettingsSheet& sheet) {
            auto* box = child<QCheckBox>(sheet, "fourByteMode");
            QVERIFY(!box->isEnabled() && !box->isChecked());
        });
        QVERIFY(world.waitForLog("Emulator is in 3-byte mode! ", from, 3000));
        QVERIFY(!world.window->control().state().pins.fourByteMode);
    }

    void rpmcFileSavedAndLoadedBackRoundTrips() {
        GuiWorld world({"gen=2"});
        enableRpmc(world);
        world.prompter.saveAs = world.home.path() / "counters";  // the extension is added
        world.prompter.openFile = world.home.path() / "counters.rpmc";
        configure(world, [&](SettingsSheet& sheet) {
            auto* page = child<zel::gui::pins::RpmcSettingsPage>(sheet, "rpmcSettingsPage");
            child<QCheckBox>(sheet, "rpmcInitialized1")->setChecked(true);
            child<QLineEdit>(sheet, "rpmcKey1")->setText(QString(64, QLatin1Char('C')));
            child<QLineEdit>(sheet, "rpmcCount1")->setText(QStringLiteral("ABCDEF01"));
            child<QCheckBox>(sheet, "rpmcInitialized4")->setChecked(true);
            child<QLineEdit>(sheet, "rpmcCount4")->setText(QStringLiteral("5"));
            const auto saved = page->counters();
            child<QPushButton>(sheet, "saveRpmcButton")->click();

            child<QCheckBox>(sheet, "rpmcInitialized1")->setChecked(false);  // back to the defaults
            QVERIFY(!child<QLineEdit>(sheet, "rpmcKey1")->isEnabled());
            QCOMPARE(child<QLineEdit>(sheet, "rpmcCount1")->text(), QStringLiteral("00000000"));
            child<QPushButton>(sheet, "loadRpmcButton")->click();
            const auto loaded = page->counters();
            QVERIFY(loaded[0].initialized && loaded[3].initialized && !loaded[1].initialized);
            QCOMPARE(loaded[0].key, std::string(64, 'C'));
            QCOMPARE(loaded[0].count, std::string("ABCDEF01"));
            QCOMPARE(loaded[3].count, std::string("00000005"));
            QVERIFY(child<QLineEdit>(sheet, "rpmcKey1")->isEnabled());
            QVERIFY(zel::gui::pins::rpmcTable(loaded) == zel::gui::pins::rpmcTable(saved));
            sheet.reject();
        });
        QVERIFY(world.prompter.shown.isEmpty());
        QVERIFY(world.settings->get("RPMCCounterValue1") == L"00000000");  // cancelled: nothing stored
    }

    // The sheet the frame opens has no Vcc page; the page still sets the supply a chip choice
    // is followed by.
    void manualSupplyFollowsTheChipChoice() {
        GuiWorld world({"gen=2"});
        auto* feature = world.window->findChild<zel::gui::pins::DeviceSettingsFeature*>(QStringLiteral("deviceSettingsFeature"));
        QVERIFY(feature);
        configure(world, [](SettingsSheet& sheet) { QVERIFY(!pageTitles(sheet).contains(QStringLiteral("Vcc Setting"))); });
        {
            SettingsSheet sheet(world.window.get());
            feature->addPages(sheet, true);
            auto* radio = child<QRadioButton>(sheet, "vcc25");
            QVERIFY(!radio->isEnabled());
            child<QCheckBox>(sheet, "manualVcc")->setChecked(true);
            QVERIFY(radio->isEnabled());
            radio->setChecked(true);
            sheet.accept();
        }
        world.prompter.chip = "W25Q16JV.cfg";  // a 3.3 V chip
        world.window->selectChip(0);
        const std::string pins = world.sim.control("pins 0");
        QVERIFY2(has(pins, "supply=2500\n"), pins.c_str());
    }
};

QTEST_MAIN(PinsSimTest)
#include "PinsSimTest.moc"
