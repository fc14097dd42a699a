#include "platform/OldDriverCheck.h"

#include <cstdlib>
#include <string>

namespace zel::cmd {
namespace {

constexpr std::string_view kNoticeCurrentSystem =
    "Our software has detected that you are using an old USB driver version of Varnik emulator.\n\t\t\t\t\r"
    "In order to benefit of our new software features, you are asked to remove the old driver version "
    "(Cypress...) from your computer.\n\t\t\t\t\r"
    "Please follow the instruction on the following link:\n\t\t\t\t\r"
    "C:\\Program Files\\Varnik\\Zelmor\\\n\t\t\t\t\r"
    "Your Operating System will then require you to install a new driver for the new hardware detected.\n\t\t\t\t\r"
    "You can find the new driver to be installed on the following location:\n\t\t\t\t\r"
    "C:\\Program Files\\Varnik\\Zelmor\\driver\n\t\t\t\t\r"
    "For more information on how installing the driver please refer to our user manual.";

constexpr std::string_view kNoticeOldSystem =
    "Our software has detected that you are using an old USB driver version of Varnik emulator.\n\t\t\t\t\r"
    "In order to benefit of our new software features, We will remove the old driver version (Cypress...) from "
    "your computer.\n\t\t\t\t\r"
    "Your Operating System will then require you to install a new driver for the new hardware detected.\n\t\t\t\t\r"
    "You can find the new driver to be installed on the following location:\n\t\t\t\t\r"
    "C:\\Program Files\\Varnik\\Zelmor\\driver\n\t\t\t\t\r"
    "For more information on how installing the driver please refer to our user manual.";

// Linux: no retired driver packages exist, the machine is clean.
class LinuxOldDriverCheck final : public OldDriverCheck {
public:
    OldDriverStatus detect() override { return OldDriverStatus::Clean; }
    void remove() override {}
};

class FakeOldDriverCheck final : public OldDriverCheck {
public:
    explicit FakeOldDriverCheck(OldDriverStatus status) : status_(status) {}
    OldDriverStatus detect() override { return status_; }
    void remove() override {}

private:
    OldDriverStatus status_;
};

}  // namespace

std::unique_ptr<OldDriverCheck> makeOldDriverCheck() {
    const char* fake = std::getenv("ZELCMD_FAKE_OLD_DRIVER");
    const std::string value = fake ? fake : "";
    if (value == "present") return std::make_unique<FakeOldDriverCheck>(OldDriverStatus::Present);
    if (value == "present-old-system") return std::make_unique<FakeOldDriverCheck>(OldDriverStatus::PresentOnOldSystem);
    return std::make_unique<LinuxOldDriverCheck>();
}

std::string_view oldDriverNotice(OldDriverStatus status) {
    return status == OldDriverStatus::PresentOnOldSystem ? kNoticeOldSystem : kNoticeCurrentSystem;
}

}  // namespace zel::cmd
