// The hyper-terminal tester's steps without a window: read and explain the six registers, read
// the uFIFO, write hex or text to the dFIFO. Each step gives the log lines it makes; the dialog
// adds the time stamps. The tester never starts emulation; a failed transfer is reported, not
// passed over; writes longer than the API takes at once go in 255-byte pieces.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zel::gui::tester {

// The register list, in order; the leading number is the register index.
inline constexpr std::array<const char*, 6> kRegisterNames = {"0: Main Register", "1: uFIFO Length", "2: dFIFO Length",
                                                              "3: ZelmorPro identification", "4: uFIFO Data Format",
                                                              "5: Timer"};
inline constexpr const char* kRunFirst = "Run ZelmorPro first!";

// The emulator as the tester uses it.
class HtDevice {
public:
    virtual ~HtDevice() = default;
    virtual bool emulating() = 0;
    // Nothing when the transfer failed.
    virtual std::optional<std::uint8_t> readRegister(int index) = 0;
    // One uFIFO block; nothing when the transfer failed.
    virtual std::optional<std::vector<std::uint8_t>> readUFifo() = 0;
    // One piece of at most 255 bytes; how many the device took (0 on a failed transfer).
    virtual size_t writeDFifo(std::span<const std::uint8_t> piece) = 0;
};

using Lines = std::vector<std::string>;

Lines openingLines(HtDevice& device);
Lines readRegister(HtDevice& device, size_t entry);  // `entry` in kRegisterNames
Lines readUFifo(HtDevice& device);
Lines writeHex(HtDevice& device, std::string_view hexText);
Lines writeText(HtDevice& device, std::span<const std::uint8_t> bytes);  // one byte per character

// What the main register's bits say (the value 6 is shown as it is).
Lines explainMainRegister(std::uint8_t value);

struct HexInput {
    std::vector<std::uint8_t> bytes;
    Lines problems;  // non-empty: nothing may be sent
};
// Blank-separated tokens of one or two hex digits.
HexInput parseHexInput(std::string_view text);

}  // namespace zel::gui::tester
