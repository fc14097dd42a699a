// Synthetic firmware for the simulated emulator: the layout that zelfwbuild writes and zelsim
// reads back when it boots from its on-board flash. A real bitstream or MCU program means
// nothing to the simulator, so each synthetic image starts with a small header that names its
// kind and version and guards its bytes with a CRC-32; the rest is filler of the size asked for.
//
// Image header (32 bytes, little-endian numbers):
//   0..7   magic "ZELFPGA\0" or "ZELMCU\0\0"
//   8      major version      9  minor version
//   10..11 layout version (1)
//   12..15 image length in bytes, header included
//   16..19 CRC-32 (IEEE) of the whole image with these four bytes left out
//   20..31 zero
//
// Container header words 0..13 (the update uses only words 14..17):
//   0..1   magic "ZELFWG2\0"   2 layout version (1)
//   3      FPGA major << 8 | FPGA minor   4  MCU major << 8 | MCU minor
//   5..13  zero
// Header-only so that the builder and the simulator share it without a library between them.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

namespace zel::firmware {

// Where the update puts things in the 2 MiB on-board flash.
inline constexpr uint32_t kFpgaBase = 0x000000;
inline constexpr uint32_t kBootMarkerPage = 0x100000;
inline constexpr uint32_t kMcuBase = 0x100100;
inline constexpr uint32_t kFpgaLimit = 1'048'575;  // largest FPGA image the map allows
inline constexpr uint32_t kMcuLimit = 917'247;     // largest MCU image the map allows
inline constexpr std::array<uint8_t, 8> kBootMarker = {0xAA, 0x55, 0x42, 0x4F, 0x4F, 0x54, 0x55, 0xAA};

enum class ImageKind { Fpga, Mcu };

inline constexpr size_t kHeaderSize = 32;
inline constexpr uint16_t kLayoutVersion = 1;
inline constexpr std::array<uint8_t, 8> kFpgaMagic = {'Z', 'E', 'L', 'F', 'P', 'G', 'A', 0};
inline constexpr std::array<uint8_t, 8> kMcuMagic = {'Z', 'E', 'L', 'M', 'C', 'U', 0, 0};
inline constexpr std::array<uint8_t, 8> kContainerMagic = {'Z', 'E', 'L', 'F', 'W', 'G', '2', 0};

inline constexpr size_t kContainerHeaderSize = 72;
inline constexpr size_t kContainerFpgaOffsetWord = 14;  // then FPGA length, MCU offset, MCU length

struct Version {
    uint8_t major = 0;
    uint8_t minor = 0;
    friend bool operator==(const Version&, const Version&) = default;
};

inline const std::array<uint8_t, 8>& magicOf(ImageKind kind) { return kind == ImageKind::Fpga ? kFpgaMagic : kMcuMagic; }

inline uint32_t loadLe32(std::span<const uint8_t> bytes, size_t at) {
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}

inline void storeLe32(std::span<uint8_t> bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

class Crc32 {
public:
    void update(std::span<const uint8_t> bytes) {
        for (uint8_t b : bytes) crc_ = table()[(crc_ ^ b) & 0xFF] ^ (crc_ >> 8);
    }
    uint32_t value() const { return ~crc_; }

private:
    static const std::array<uint32_t, 256>& table() {
        static const auto entries = [] {
            std::array<uint32_t, 256> t{};
            for (uint32_t i = 0; i < 256; ++i) {
                uint32_t c = i;
                for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
                t[i] = c;
            }
            return t;
        }();
        return entries;
    }
    uint32_t crc_ = 0xFFFFFFFF;
};

// The checksum field itself is left out, so it can be computed over a finished image.
inline uint32_t imageChecksum(std::span<const uint8_t> image) {
    Crc32 crc;
    crc.update(image.first(16));
    crc.update(image.subspan(20));
    return crc.value();
}

// An image of `size` bytes (at least kHeaderSize): the header, then filler that depends on the
// kind and version only, so the same request always gives the same bytes.
inline std::vector<uint8_t> makeSyntheticImage(ImageKind kind, Version version, uint32_t size) {
    std::vector<uint8_t> image(std::max<size_t>(size, kHeaderSize), 0);
    const auto& magic = magicOf(kind);
    std::memcpy(image.data(), magic.data(), magic.size());
    image[8] = version.major;
    image[9] = version.minor;
    image[10] = static_cast<uint8_t>(kLayoutVersion);
    image[11] = static_cast<uint8_t>(kLayoutVersion >> 8);
    storeLe32(image, 12, static_cast<uint32_t>(image.size()));
    uint64_t state = 0x9E3779B97F4A7C15ull ^ (uint64_t{kind == ImageKind::Fpga ? 1u : 2u} << 16) ^
                     (uint64_t{version.major} << 8) ^ version.minor;
    for (size_t i = kHeaderSize; i < image.size(); ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        image[i] = static_cast<uint8_t>(state >> 24);
    }
    storeLe32(image, 16, imageChecksum(image));
    return image;
}

// Reads the header at the start of `bytes`, which may run past the image's end (the rest of a
// flash area). The version, when the magic, layout, length and checksum all hold and the image
// fits in `bytes` and in `limit`.
inline std::optional<Version> syntheticImageVersion(std::span<const uint8_t> bytes, ImageKind kind,
                                                    uint32_t limit) {
    if (bytes.size() < kHeaderSize) return std::nullopt;
    const auto& magic = magicOf(kind);
    if (std::memcmp(bytes.data(), magic.data(), magic.size()) != 0) return std::nullopt;
    if ((bytes[10] | bytes[11] << 8) != kLayoutVersion) return std::nullopt;
    const uint32_t length = loadLe32(bytes, 12);
    if (length < kHeaderSize || length > limit || length > bytes.size()) return std::nullopt;
    const auto image = bytes.first(length);
    if (imageChecksum(image) != loadLe32(image, 16)) return std::nullopt;
    return Version{bytes[8], bytes[9]};
}

// The 72-byte header and both images behind it, FPGA first.
inline std::vector<uint8_t> makeContainer(std::span<const uint8_t> fpga, Version fpgaVersion,
                                          std::span<const uint8_t> mcu, Version mcuVersion) {
    std::vector<uint8_t> bytes(kContainerHeaderSize, 0);
    std::memcpy(bytes.data(), kContainerMagic.data(), kContainerMagic.size());
    storeLe32(bytes, 8, kLayoutVersion);
    storeLe32(bytes, 12, uint32_t{fpgaVersion.major} << 8 | fpgaVersion.minor);
    storeLe32(bytes, 16, uint32_t{mcuVersion.major} << 8 | mcuVersion.minor);
    const auto fpgaOffset = static_cast<uint32_t>(kContainerHeaderSize);
    const auto mcuOffset = static_cast<uint32_t>(fpgaOffset + fpga.size());
    storeLe32(bytes, 4 * kContainerFpgaOffsetWord, fpgaOffset);
    storeLe32(bytes, 4 * (kContainerFpgaOffsetWord + 1), static_cast<uint32_t>(fpga.size()));
    storeLe32(bytes, 4 * (kContainerFpgaOffsetWord + 2), mcuOffset);
    storeLe32(bytes, 4 * (kContainerFpgaOffsetWord + 3), static_cast<uint32_t>(mcu.size()));
    bytes.insert(bytes.end(), fpga.begin(), fpga.end());
    bytes.insert(bytes.end(), mcu.begin(), mcu.end());
    return bytes;
}

}  // namespace zel::firmware
