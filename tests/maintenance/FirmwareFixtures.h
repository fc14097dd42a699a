// Firmware deliveries for the maintenance tests: synthetic images, first-generation folders and
// G2 containers (raw, Intel HEX, S-record), and the frames an update is expected to send.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zel::test::maintenance {

using Bytes = std::vector<uint8_t>;

// Pseudo-random bytes (never a run of 0xFF that padding could hide).
Bytes syntheticImage(size_t size, uint32_t seed);

// Writes the two files of a first-generation firmware folder.
void writeFirmwareFolder(const std::filesystem::path& folder, const Bytes& fpga, const Bytes& mcu,
                         const std::string& fpgaName = "1.bin", const std::string& mcuName = "2.bin");

// The header words the update reads: FPGA offset and length, MCU offset and length.
struct ContainerLayout {
    uint32_t fpgaOffset = 0;
    uint32_t fpgaLength = 0;
    uint32_t mcuOffset = 0;
    uint32_t mcuLength = 0;
};

// A 72-byte header (words 0..13 carry a tag the update ignores), then the FPGA image, then the
// MCU image; the layout words describe exactly that unless `layout` overrides them.
Bytes containerBytes(const Bytes& fpga, const Bytes& mcu);
Bytes containerBytes(const Bytes& fpga, const Bytes& mcu, const ContainerLayout& layout);

// Writes the container in the format its file name's extension selects.
void writeContainer(const std::filesystem::path& file, const Bytes& container);

// ---- expected frames ----
Bytes frame(std::initializer_list<uint8_t> head);
Bytes addressFrame(uint8_t opcode, uint32_t address);  // 24-bit address in bytes 1-3
Bytes pageWriteFrame(uint32_t address);                // 0x34, address, bytes 4-15 0xFF

struct ExpectedUpdate {
    bool chipErase = false;   // MCU <= 2.8
    int statusReads = 1;      // 0x32 frames after a chip erase
    uint64_t fpgaSize = 0;
    uint64_t mcuSize = 0;
};
// Every command frame of an update that runs to its end, in order.
std::vector<Bytes> expectedUpdateFrames(const ExpectedUpdate& update);
// The frames of an image written at base and read back.
void appendImageFrames(std::vector<Bytes>& frames, uint32_t base, uint64_t size);

}  // namespace zel::test::maintenance
