// zelinfo: opens the emulator API, prints the emulators it sees and closes the API again.
#include "DeviceReport.h"
#include "zelapi.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* kUsage =
    "Usage: zelinfo\n"
    "Prints the number of opened emulators, the current device index and, per emulator, whether\n"
    "it is opened, its firmware and hardware versions, product name and serial number.\n"
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
    if (argc > 1) {
        const bool help = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0;
        std::fputs(kUsage, help ? stdout : stderr);
        return help ? 0 : 2;
    }
    CliInitialZelmorProDLL();
    report();
    std::fflush(stdout);
    CliCloseUSBDevice();
    CliCloseZelmorProDLL();
    return 0;
}
