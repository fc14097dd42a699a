// What a batch run does and how its download fills memory, as the "Batch Operation" page edits
// them and the settings document keeps them. The operations run in bit order whatever order the
// user added them in.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "EmulatorState.h"
#include "GuiSettings.h"
#include "settings/SettingsUpdate.h"

namespace zel::gui::batch {

enum class BatchOperation { Stop = 0, Reload = 1, Download = 2, Verify = 3, Start = 4 };
inline constexpr int kOperationCount = 5;
inline constexpr std::array<const char*, kOperationCount> kOperationNames{
    "Stop Emulation", "Reload file", "Download to Emulator", "Verify from Emulator", "Start Emulation"};
const char* operationName(BatchOperation operation);

// The emulators a batch runs on, by serial number ("BatchEmulators", hexadecimal, comma-separated).
inline constexpr std::string_view kBatchEmulatorsKey = "BatchEmulators";

struct BatchOptions {
    std::uint8_t operations = 0;  // bit n: operation n
    bool fill = false;            // else the memory past the image keeps its contents
    std::uint8_t fillByte = 0xFF;
    bool upTo = false;            // the image ends at `end` instead of starting at `start`
    std::uint32_t start = 0;
    std::uint32_t end = 0;        // not stored; 0: the chip's last address
    bool splitFile = false;       // dual flash: one image split equally into two files
    std::vector<std::uint32_t> emulators;  // empty: the emulator the window works on

    static BatchOptions read(const GuiSettings& settings);
    settings::SettingsUpdate changes() const;

    bool has(BatchOperation operation) const { return (operations >> int(operation)) & 1; }
    void add(int bit);     // bits outside 0..4 are ignored
    void remove(int bit);
    // The chosen operations in the order they run.
    std::vector<BatchOperation> chosen() const;
    bool needsFile() const;
    // The emulator's download options as this batch sets them.
    void applyTo(DownloadOptions& download) const;
};

// The page's hexadecimal edits are read as "%x" reads them: leading hex digits, anything else 0.
std::uint32_t parseHexField(std::string_view text);
// "%X"; an end address of 0 shows as the chip's last address.
std::string hexField(std::uint32_t value);
std::string endAddressField(std::uint32_t end, std::uint32_t chipSize);

}  // namespace zel::gui::batch
