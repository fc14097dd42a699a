// The desktop program's choices for one emulator: the chip and image of each target (target 2 is
// the second chip of a dual-flash set-up), the pin settings and the download options.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/core/LoadFileChoice.h"

namespace zel::gui {

struct ChipChoice {
    std::filesystem::path cfgFile;
    std::string manufacturer;
    std::string name;
    std::uint32_t size = 0;
    std::uint32_t voltage = 0;  // millivolts: 1800, 2500 or 3300
    bool no4ByteMode = false;
};

struct TargetState {
    std::optional<ChipChoice> chip;
    std::filesystem::path image;  // empty: no file loaded
    std::string format;           // "IntelHex", "MotorolaS19", "ROM" or "RawBin"
    std::uint32_t imageSize = 0;
};

// What the Load File step decided for a target.
struct ImageChoice {
    std::filesystem::path file;
    bool truncate = false;  // a file larger than the chip is cut to it instead of refused
    std::optional<ImageFileFormat> format;  // none: as the file's extension suggests
    std::uint8_t fillValue = kDefaultFillValue;  // the host buffer past the file's end
};

// Hold-pin codes as CliSetHoldPin takes them.
enum HoldPin : std::uint8_t { kHoldDefaultLow = 0, kHoldDefaultHigh = 1, kHoldFloating = 2, kHoldInput = 3 };
const char* holdPinText(std::uint8_t hold);

struct PinSettings {
    std::uint8_t hold = kHoldFloating;
    bool resetPin = false;
    bool misoByExternalBuffer = false;  // else the FPGA drives MISO
    bool fourByteMode = false;
    bool chipSelect = false;  // G2 only
};

// What CliSetMISODriven takes for the choice: the register's MISO bit (4) or 0. The stored
// setting is a 0/1 flag; passed unchanged it would land on the hold-pin bits.
std::uint8_t misoDrivenValue(const PinSettings& pins);

struct DownloadOptions {
    bool fill = false;  // fill the memory the image does not cover (else keep it)
    std::uint8_t fillByte = 0xFF;
    std::uint32_t start = 0;  // where the image starts, unless upTo
    bool upTo = false;        // the image ends at `end` instead
    std::uint32_t end = 0;    // the last address the image fills; 0: the chip's last
    bool truncate = false;  // drop what runs past the chip's end
};

struct EmulatorState {
    std::array<TargetState, 2> targets;
    PinSettings pins;
    DownloadOptions download;
    std::vector<std::filesystem::path> history;  // image files, most recent first
    static constexpr std::size_t kHistoryLength = 10;

    bool dualFlash() const { return targets[1].chip.has_value(); }
    void remember(const std::filesystem::path& image);
};

}  // namespace zel::gui
