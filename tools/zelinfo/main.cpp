// zelinfo: opens the emulator API, prints the emulators it sees, or applies a chip
// configuration to one of them, and closes the API again.
#include "ChipApply.h"
#include "DeviceReport.h"
#include "zelapi.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: zelinfo\n"
    "       zelinfo --apply CFG --device N [--target 1|2]\n"
    "Prints the number of opened emulators, the current device index and, per emulator, whether\n"
    "it is opened, its firmware and hardware versions, product name and serial number.\n"
    "With --apply, makes target 1 (default) or 2 of device N (0-based) impersonate the chip of the\n"
    "chip-configuration file CFG, sets the chip's option registers and prints the chip.\n"
    "Set ZELMOR_SIM to a simulator folder to look at simulated emulators.\n";

void print(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

zel::info::DeviceIdentity readIdentity(int index)
{
    zel::info::DeviceIdentity identity;
    uint32_t firmware = 0;
    std::array<wchar_t, kZelProductNameChars> name{};
    CliGetProductInfo(&firmware, &identity.hardwareVersion, name.data(), index);
    name.back() = L'\0';
    identity.firmware = zel::info::FirmwareVersion::fromWord(firmware);
    identity.productName = name.data();
    identity.serialNumber = CliGetSerailNumber(index);
    return identity;
}

void report()
{
    const int count = CliCheckUSBDeviceNum();
    const int current = CliGetUSBDevIndex();
    print(zel::info::describeSummary(count, current));
    // Emulators held by another process are enumerated but not opened; the current index then
    // points past them, so list every index up to it.
    const int listed = std::max(count, count > 0 ? current + 1 : 0);
    for (int index = 0; index < listed; ++index) {
        zel::info::DeviceEntry entry{index, CliIsZelmorProUSBOpened(index) == 1, std::nullopt};
        if (entry.opened)
            entry.identity = readIdentity(index);
        print(zel::info::describeDevice(entry));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    std::optional<zel::info::ApplyRequest> apply;
    if (argc > 1) {
        const bool help = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0;
        std::string error;
        if (!help)
            apply = zel::info::parseApplyRequest(std::vector<std::string>(argv + 1, argv + argc), error);
        if (!apply) {
            if (!error.empty())
                std::fputs(("zelinfo: " + error + "\n").c_str(), stderr);
            std::fputs(kUsage, help ? stdout : stderr);
            return help ? 0 : 2;
        }
    }
    CliInitialZelmorProDLL();
    int status = 0;
    if (apply)
        status = zel::info::applyChipConfig(*apply);
    else
        report();
    std::fflush(stdout);
    CliCloseUSBDevice();
    CliCloseZelmorProDLL();
    return status;
}
