// zelinfo: opens the emulator API, prints the emulators it sees, or applies a chip
// configuration to one of them, and closes the API again. --chips lists the chip catalogue
// without the API.
#include "ChipApply.h"
#include "ChipCatalogue.h"
#include "CommandLine.h"
#include "DeviceChoice.h"
#include "DeviceReport.h"
#include "ShareCommands.h"
#include "ToolArguments.h"
#include "WatchCommand.h"
#include "fileio/ProgramFolder.h"
#include "zelapi.h"

#include <array>
#include <cstdio>
#include <string>

namespace {

constexpr int kUsageStatus = 2;

constexpr const char* kUsage =
    "Usage: zelinfo\n"
    "       zelinfo --chips [PATTERN]\n"
    "       zelinfo --apply CFG --device N|--serial S [--target 1|2]\n"
    "       zelinfo --supply 3.3|2.5|1.8 --device N|--serial S\n"
    "       zelinfo --pause | --regain | --serve\n"
    "       zelinfo --watch\n"
    "Prints the number of opened emulators, the API's current device index (counted from 0) and,\n"
    "per emulator found (device 1, 2, ...), whether it is opened, its firmware and hardware\n"
    "versions, product name and serial number.\n"
    "With --chips, lists the chips of the catalogue beside the program (config/ZelmorPro/*.cfg):\n"
    "name (what zelcmd --set takes), maker, size, supply, 4-byte addressing, SFDP table; PATTERN\n"
    "keeps the chips whose name contains it, without regard to case. Needs no emulator.\n"
    "With --apply, makes target 1 (default) or 2 of device N impersonate the chip of the\n"
    "chip-configuration file CFG, sets the chip's option registers and prints the chip.\n"
    "With --supply, switches the target supply of device N.\n"
    "Device N counts every emulator found, opened or not, from 1 in the order of the report (as\n"
    "zelcmd counts); --serial S names one by its serial number instead, as printed (ZL204711,\n"
    "VK002222) or in decimal.\n"
    "With --pause or --regain, asks the program that holds the emulators to release them or to\n"
    "take them back, through the share channel, and prints the result code and its meaning; the\n"
    "exit status is 0 when the holder answered, else 1. With --serve, holds the emulators and\n"
    "serves such requests until interrupted: it closes them on a pause, renumerates them on a\n"
    "regain. Programs meet in the share channel of their user; ZELMOR_SHARE_PREFIX gives a\n"
    "private one.\n"
    "With --watch, prints the emulators found and opened, then a line each time emulators arrive\n"
    "or leave, until interrupted; it opens them only while it lists them.\n"
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
    // Emulators held by another process are found but not opened: they are listed too.
    for (int index = 0; index < CliGetFoundDeviceCount(); ++index) {
        zel::info::DeviceEntry entry{index, CliIsZelmorProUSBOpened(index) == 1, std::nullopt};
        if (entry.opened)
            entry.identity = readIdentity(index);
        print(zel::info::describeDevice(entry));
    }
}

// --supply V --device N: the target supply through the API's voltage calls.
using VoltageSetter = void (*)(int);

VoltageSetter voltageSetter(const std::string& volts)
{
    if (volts == "2.5")
        return CliSetVccTo25V;
    if (volts == "1.8")
        return CliSetVccTo18V;
    return CliSetVccTo33V;
}

int setSupply(int device, const std::string& volts)
{
    const int number = zel::session::deviceNumber(device);
    if (CliIsZelmorProUSBOpened(device) != 1) {
        std::fprintf(stderr, "zelinfo: device %d is not opened\n", number);
        return 1;
    }
    voltageSetter(volts)(device);
    std::printf("device %d: target supply set to %s V\n", number, volts.c_str());
    return 0;
}

// --apply and --supply, on the emulator chosen among those the API found at start-up.
int runOnDevice(const zel::info::Command& command)
{
    const auto device = zel::tools::findChosenEmulator(command.device);
    if (!device)
        return zel::tools::usageError("zelinfo", device.problem().detail, kUsageStatus);
    if (command.job == zel::info::Job::Supply)
        return setSupply(*device, command.volts);
    auto request = command.apply;
    request.device = *device;
    return zel::info::applyChipConfig(request);
}

int runWithApi(const zel::info::Command& command)
{
    using zel::info::Job;
    switch (command.job) {
    case Job::Watch:
        return zel::info::runWatch();
    case Job::Share:
        return zel::info::runShareCommand(command.share);
    case Job::Supply:
    case Job::Apply:
        return runOnDevice(command);
    default:
        report();
        return 0;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    std::string problem;
    const auto command = zel::info::parseCommandLine(argc, argv, problem);
    if (!command)
        return zel::tools::usageError("zelinfo", problem, kUsageStatus);
    using zel::info::Job;
    if (command->job == Job::Help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command->job == Job::Chips)
        return zel::info::listChips(zel::fileio::programFolder(), command->chipPattern);
    CliInitialZelmorProDLL();
    const int status = runWithApi(*command);
    std::fflush(stdout);
    CliCloseUSBDevice();
    CliCloseZelmorProDLL();
    return status;
}
