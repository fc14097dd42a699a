// The device pages of the "Configure Setting" sheet: "Pin Settings", "RPMC Setting" (while RPMC
// is enabled) and "Miscellaneous Settings" (on an emulator that can enter 4-byte mode), and what
// a confirmed sheet does with them: the values to the emulator control, the pins to the
// emulator, the choices to the settings document, then the frame shows the pin texts.
// The "Vcc Setting" page is built only on request: the frame's sheet does not offer it, but the
// manual supply it sets still applies after every chip configuration.
//
// Threads: the user-interface thread.
#pragma once

#include <QObject>

#include <functional>

#include "EmulatorControl.h"
#include "GuiSettings.h"
#include "LogQueue.h"
#include "ManualSupply.h"

namespace zel::gui {
class Prompter;
class SettingsSheet;
}  // namespace zel::gui

namespace zel::gui::pins {

struct DeviceSettingsHost {
    EmulatorControl& control;
    LogSink& log;
    GuiSettings& settings;
    Prompter& prompter;
    std::function<void()> changed;  // show the pin texts, flush the log
};

class DeviceSettingsFeature final : public QObject {
    Q_OBJECT
public:
    // Takes the RPMC choice for Run from the settings document.
    DeviceSettingsFeature(DeviceSettingsHost host, QObject* parent);

    // Adds the pages that apply to the emulator now, applied when the sheet is confirmed.
    void addPages(SettingsSheet& sheet, bool withVccPage = false);
    const ManualSupply& manualSupply() const { return supply_; }

private:
    DeviceSettingsHost host_;
    ManualSupply supply_;
};

}  // namespace zel::gui::pins
