#include "DeviceSettingsFeature.h"

#include "AddressModePage.h"
#include "AddressModeRules.h"
#include "PinSettingsPage.h"
#include "RpmcSettingsPage.h"
#include "SettingsSheet.h"
#include "SheetChoices.h"
#include "VccSettingsPage.h"

namespace zel::gui::pins {

DeviceSettingsFeature::DeviceSettingsFeature(DeviceSettingsHost host, QObject* parent)
    : QObject(parent), host_(std::move(host)) {
    setObjectName(QStringLiteral("deviceSettingsFeature"));
    host_.control.setRpmcAtRun(rpmcAtRun(readRpmcChoices(host_.settings)));
}

void DeviceSettingsFeature::addPages(SettingsSheet& sheet, bool withVccPage) {
    EmulatorControl& control = host_.control;
    auto* pinPage = new PinSettingsPage(control.state().pins, control.identity().generation2, &sheet);
    sheet.addPage(SettingsPageSlot::Pins, QStringLiteral("Pin Settings"), pinPage);

    const RpmcChoices rpmc = readRpmcChoices(host_.settings);
    RpmcSettingsPage* rpmcPage = nullptr;
    if (rpmc.enabled) {
        rpmcPage = new RpmcSettingsPage(rpmc.counters, host_.prompter, &sheet);
        sheet.addPage(SettingsPageSlot::Rpmc, QStringLiteral("RPMC Setting"), rpmcPage);
    }
    AddressModePage* addressPage = nullptr;
    if (offersAddressModePage(control.identity())) {
        const auto& chip = control.state().targets[0].chip;
        addressPage = new AddressModePage(control.state().pins.fourByteMode, chipTakesFourByteMode(chip), &sheet);
        sheet.addPage(SettingsPageSlot::Miscellaneous, QStringLiteral("Miscellaneous Settings"), addressPage);
    }
    VccSettingsPage* vccPage = nullptr;
    if (withVccPage) {
        vccPage = new VccSettingsPage(supply_, &sheet);
        sheet.addPage(SettingsPageSlot::Vcc, QStringLiteral("Vcc Setting"), vccPage);
    }

    connect(&sheet, &QDialog::accepted, this, [this, pinPage, rpmcPage, addressPage, vccPage] {
        SheetChoices choices;
        choices.pins = pinPage->choices();
        if (addressPage) choices.fourByteMode = addressPage->fourByteMode();
        if (rpmcPage) choices.rpmc = RpmcChoices{true, rpmcPage->counters()};
        if (vccPage) choices.supply = supply_ = vccPage->choice();
        const settings::SettingsUpdate changes = applySheetChoices(host_.control, choices);
        if (const std::error_code error = host_.settings.write(changes))
            host_.log.log("Warning: the pin settings could not be saved: " + error.message());
        host_.changed();
    });
}

}  // namespace zel::gui::pins
