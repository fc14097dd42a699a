// The start-up check for the emulator's retired USB driver generation. Linux has no such driver
// packages, so the platform check reports the machine clean; the check is an interface so that
// the desktop program's notice stays testable with a fake.
#pragma once

#include <memory>
#include <string_view>

namespace zel::gui {

enum class OldDriver { Clean, Present, PresentOnOldSystem };

class DriverHousekeeping {
public:
    virtual ~DriverHousekeeping() = default;
    virtual OldDriver detect() = 0;
    virtual void remove() = 0;  // errors are ignored
};

std::unique_ptr<DriverHousekeeping> makeDriverHousekeeping();

// The message box text for an old driver that was found.
std::string_view oldDriverMessage(OldDriver found);

}  // namespace zel::gui
