#include "DriverHousekeeping.h"

namespace zel::gui {
namespace {

class LinuxDriverHousekeeping final : public DriverHousekeeping {
public:
    OldDriver detect() override { return OldDriver::Clean; }
    void remove() override {}
};

}  // namespace

std::unique_ptr<DriverHousekeeping> makeDriverHousekeeping() { return std::make_unique<LinuxDriverHousekeeping>(); }

std::string_view oldDriverMessage(OldDriver found) {
    if (found == OldDriver::Present)
        return "Our software has detected that you are using an old USB driver version of Varnik emulator.\n\t\t\t\t\r"
               "In order to benefit of our new software features, you are asked to remove the old driver version "
               "(CyUSB...) from your computer.\n\t\t\t\t\rPlease follow the instruction on the following link:\n\t\t\t\t\r"
               "C:\\Program Files\\Varnik\\Zelmor\\\n\t\t\t\t\rYour Operating System will then require you to install a "
               "new driver for the new hardware detected.\n\t\t\t\t\rYou can find the new driver to be installed on the "
               "following location:\n\t\t\t\t\rC:\\Program Files\\Varnik\\Zelmor\\driver\n\t\t\t\t\rFor more information "
               "on how installing the driver please refer to our user manual.";
    if (found == OldDriver::PresentOnOldSystem)
        return "Our software has detected that you are using an old USB driver version of Varnik emulator.\n\t\t\t\t\r"
               "In order to benefit of our new software features, We will remove the old driver version (CyUSB...) from "
               "your computer.\n\t\t\t\t\rYour Operating System will then require you to install a new driver for the "
               "new hardware detected.\n\t\t\t\t\rYou can find the new driver to be installed on the following "
               "location:\n\t\t\t\t\rC:\\Program Files\\Varnik\\Zelmor\\driver\n\t\t\t\t\rFor more information on how "
               "installing the driver please refer to our user manual.";
    return {};
}

}  // namespace zel::gui
