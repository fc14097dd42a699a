// The state of one zelcmd run: the parsed options, the devices and their per-device flags (sized
// to the device count), the chip description of the last configuration file read, the settings
// collected for the settings document, and the console, input and API it works through.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "AnswerInput.h"
#include "Console.h"
#include "DeviceApi.h"
#include "DeviceNumber.h"
#include "Options.h"
#include "settings/SettingsUpdate.h"

namespace zel::cmd {

// The typed API view and its value types come from the front ends' session layer.
using session::ChipInfo;
using session::DeviceApi;
using session::DownloadRequest;
using session::ImageLoad;
using session::kSerialNotAvailable;
using session::MemoryRead;
using session::ProductInfo;
using session::VerifyResult;

struct DeviceState {
    bool chipSet = false;
    bool result = false;  // the current step's outcome on this device
    bool downloadSucceeded = false;
    bool secondGenerationOrLater = false;  // decides the configuration folder
    bool generation2 = false;              // MCU major 3: passed to the memory calls
    bool firmwareIs3V3 = true;
    bool firmwareSupports4ByteEntry = false;
    std::uint32_t chipSize = 0;
};

struct Environment {
    Console& console;
    AnswerInput& input;  // the answer to the voltage question
    DeviceApi& api;
    std::filesystem::path programFolder;
};

class CommandContext {
public:
    CommandContext(Environment environment, Options options, int deviceCount);

    Console& console() { return environment_.console; }
    AnswerInput& input() { return environment_.input; }
    DeviceApi& api() { return environment_.api; }
    const std::filesystem::path& programFolder() const { return environment_.programFolder; }
    const Options& options() const { return options_; }

    int deviceCount() const { return deviceCount_; }
    DeviceState& device(int index) { return devices_.at(static_cast<size_t>(index)); }
    // The devices an operation runs on: the --device one, or every device in index order.
    std::vector<int> selectedDevices() const;
    bool singleDevice() const { return options_.device.has_value(); }
    // --serial resolved: from here on the run works as with --device number.
    void chooseDevice(unsigned number) { options_.device = number; }

    // Address bit 31 selects the second emulated chip (--target 2).
    std::uint32_t withTargetBit(std::uint32_t address) const;

    // The chip description of the last configuration file read in this run.
    ChipInfo chip;
    bool chipInfoRead = false;
    // Length of the image loaded by --download.
    std::uint32_t imageLength = 0;

    // After a failure message on stdout: why, on stderr, when the API knows (index -1: why no
    // emulator was found). Scripts reading stdout see nothing new.
    void explain(int index);

    settings::SettingsUpdate& settings() { return settings_; }
    const settings::SettingsUpdate& settings() const { return settings_; }

private:
    Environment environment_;
    Options options_;
    int deviceCount_;
    std::vector<DeviceState> devices_;
    settings::SettingsUpdate settings_;
};

// A path typed by the user (UTF-8); both '/' and '\' separate folders.
std::filesystem::path userPath(const std::string& utf8);
// The file is a regular file that can be opened for reading.
bool isReadableFile(const std::filesystem::path& file);
// "Error: <shown> is not a regular file" for a user's file that names a FIFO, a device, a socket
// or a folder, which would block a read or write, or never end it; true when it printed that.
bool refuseNonRegularFile(Console& console, const std::filesystem::path& file, const std::string& shown);
std::string notRegularFileError(const std::string& shown);

using session::deviceNumber;

}  // namespace zel::cmd
