// zelinfo: opens the emulator API, prints the emulators it sees, or applies a chip
// configuration to one of them, and closes the API again.
#include "ChipApply.h"
#include "DeviceReport.h"
#include "ShareCommands.h"
#include "WatchCommand.h"
#include "zelapi.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: zelinfo\n"
    "       zelinfo --apply CFG --device N [--target 1|2]\n"
    "       zelinfo --supply 3.3|2.5|1.8 --device N\n"
    "       zelinfo --pause | --regain | --serve\n"
    "       zelinfo --watch\n"
    "Prints the number of opened emulators, the current device index and, per emulator, whether\n"
    "it is opened, its firmware and hardware versions, product name and serial number.\n"
    "With --apply, makes target 1 (default) or 2 of device N (0-based) impersonate the chip of the\n"
    "chip-configuration file CFG, sets the chip's option registers and prints the chip.\n"
    "With --supply, switches the target supply of device N (0-based).\n"
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
struct SupplyRequest {
    void (*setVoltage)(int) = nullptr;
    int device = -1;
};

std::optional<SupplyRequest> parseSupplyRequest(int argc, char** argv)
{
    if (argc != 5 || std::strcmp(argv[1], "--supply") != 0 || std::strcmp(argv[3], "--device") != 0)
        return std::nullopt;
    SupplyRequest request;
    const std::string volts = argv[2];
    if (volts == "3.3")
        request.setVoltage = CliSetVccTo33V;
    else if (volts == "2.5")
        request.setVoltage = CliSetVccTo25V;
    else if (volts == "1.8")
        request.setVoltage = CliSetVccTo18V;
    char* end = nullptr;
    request.device = static_cast<int>(std::strtol(argv[4], &end, 10));
    if (!request.setVoltage || end == argv[4] || *end != '\0' || request.device < 0)
        return std::nullopt;
    return request;
}

int setSupply(const SupplyRequest& request, const char* volts)
{
    if (CliIsZelmorProUSBOpened(request.device) != 1) {
        std::fprintf(stderr, "zelinfo: device %d is not opened\n", request.device);
        return 1;
    }
    request.setVoltage(request.device);
    std::printf("device %d: target supply set to %s V\n", request.device, volts);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::optional<zel::info::ApplyRequest> apply;
    const auto supply = parseSupplyRequest(argc, argv);
    const auto share = argc == 2 ? zel::info::parseShareCommand(argv[1]) : std::nullopt;
    const bool watch = argc == 2 && std::strcmp(argv[1], "--watch") == 0;
    if (argc > 1 && !supply && !share && !watch) {
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
    if (watch)
        status = zel::info::runWatch();
    else if (share)
        status = zel::info::runShareCommand(*share);
    else if (supply)
        status = setSupply(*supply, argv[2]);
    else if (apply)
        status = zel::info::applyChipConfig(*apply);
    else
        report();
    std::fflush(stdout);
    CliCloseUSBDevice();
    CliCloseZelmorProDLL();
    return status;
}
