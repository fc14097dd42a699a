// Where new firmware comes from: a first-generation firmware folder (two raw files) or a G2
// firmware container (one file, raw, Intel HEX or S-record, with a header locating both images).
// Everything is checked here, before the on-board flash is touched.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <variant>
#include <vector>

namespace zel::devlink {

// What each image may occupy once padded: the FPGA area ends at the boot marker page, the MCU
// area at the device data kept across updates (0x1E0000).
inline constexpr uint64_t kMaxFpgaImageSize = 1'048'575;
inline constexpr uint64_t kMaxMcuImageSize = 917'247;

inline constexpr size_t kContainerHeaderSize = 72;  // eighteen 32-bit little-endian words
// Far above a header and both images; a larger raw file is refused without being read whole.
// A text container is bounded by its reader's address window.
inline constexpr uint64_t kMaxContainerSize = 16u << 20;

struct FirmwareImages {
    std::vector<uint8_t> fpga;
    std::vector<uint8_t> mcu;
};

enum class FirmwareProblem {
    NoImagePair,         // folder: neither 1.bin + 2.bin nor fpga.bin + mcu.bin are both present
    Unreadable,          // the container (or an image file) cannot be loaded, or is no regular file
    ContainerTooLarge,   // a raw container of more than kMaxContainerSize bytes
    ShortContainer,      // fewer bytes than the header
    EmptyImage,          // a length word of 0
    ImageOutsideContainer,
    FpgaImageTooLarge,
    McuImageTooLarge,
};

using FirmwareSource = std::variant<FirmwareImages, FirmwareProblem>;

// First generation: "1.bin" and "2.bin" when both are non-empty, else "fpga.bin" and
// "mcu.bin" when both are non-empty. Images always come from one pair: a folder never mixes
// an FPGA image of one release with an MCU image of another.
FirmwareSource loadFirmwareFolder(const std::filesystem::path& folder);

// G2: the container read by its extension (".HEX" Intel HEX, ".S19" S-record, any case; raw
// bytes otherwise), then taken apart by its header.
FirmwareSource loadFirmwareContainer(const std::filesystem::path& file);

// Header words 14..17: FPGA offset and length, MCU offset and length. Offsets and lengths are
// checked in 64 bits against the loaded bytes.
FirmwareSource splitFirmwareContainer(std::span<const uint8_t> container);

}  // namespace zel::devlink
