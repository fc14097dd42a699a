#include "DeviceChoice.h"

#include "SerialSelection.h"
#include "zelapi.h"

namespace zel::tools {
namespace {

using session::DeviceProblem;
using session::Reason;

DeviceProblem refused(Reason reason, std::string sentence) { return DeviceProblem{reason, std::move(sentence)}; }

session::Outcome<int> byNumber(uint64_t number, int found) {
    const std::string typed = std::to_string(number);
    if (found == 0) return refused(Reason::NoDevice, "--device " + typed + ": no emulator is attached");
    if (number < 1 || number > static_cast<uint64_t>(found))
        return refused(Reason::BadInput, "--device takes a number from 1 to " + std::to_string(found) +
                                             " (the emulators found), not " + typed);
    return static_cast<int>(number) - 1;
}

}  // namespace

DeviceChoice takeDeviceChoice(Arguments& args) {
    DeviceChoice choice;
    std::string number;
    const bool haveNumber = args.take("--device", number);
    if (uint64_t value = 0; haveNumber && parseNumber(number, 0xFFFF, value))
        choice.number = value;
    else if (haveNumber)
        args.refuse("--device takes an emulator number counted from 1, not " + number);
    const bool haveSerial = args.take("--serial", choice.serialText);
    if (haveSerial) choice.serial = session::parseSerial(choice.serialText);
    if (haveSerial && !choice.serial)
        args.refuse("--serial takes a serial number as printed (ZL204711, VK002222) or in decimal, not " +
                    choice.serialText);
    if (haveNumber && haveSerial) args.refuse("--device and --serial do not go together");
    return choice;
}

session::Outcome<int> resolveDeviceChoice(const DeviceChoice& choice, int found,
                                          const std::function<uint32_t(int)>& serialOf) {
    if (choice.number) return byNumber(*choice.number, found);
    const auto index = session::findBySerial(*choice.serial, found, serialOf);
    if (!index) return refused(index.problem().reason, "--serial " + choice.serialText + ": " + index.problem().detail);
    return index;
}

session::Outcome<int> findChosenEmulator(const DeviceChoice& choice) {
    return resolveDeviceChoice(choice, CliGetFoundDeviceCount(), [](int index) { return CliGetSerailNumber(index); });
}

}  // namespace zel::tools
