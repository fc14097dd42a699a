#include "FirmwareFixtures.h"

#include "image/ImageFormat.h"
#include "image/ImageWriter.h"

#include <fstream>
#include <stdexcept>

namespace zel::test::maintenance {
namespace {

void putWord(Bytes& bytes, size_t word, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[word * 4 + i] = static_cast<uint8_t>(value >> (8 * i));
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

Bytes syntheticImage(size_t size, uint32_t seed) {
    Bytes bytes(size);
    uint32_t state = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<uint8_t>((state >> 24) % 0xFF);  // 0x00..0xFE
    }
    return bytes;
}

void writeFirmwareFolder(const std::filesystem::path& folder, const Bytes& fpga, const Bytes& mcu,
                         const std::string& fpgaName, const std::string& mcuName) {
    std::filesystem::create_directories(folder);
    writeFile(folder / fpgaName, fpga);
    writeFile(folder / mcuName, mcu);
}

Bytes containerBytes(const Bytes& fpga, const Bytes& mcu) {
    const uint32_t fpgaOffset = 72;
    const uint32_t mcuOffset = fpgaOffset + static_cast<uint32_t>(fpga.size());
    return containerBytes(fpga, mcu,
                          {fpgaOffset, static_cast<uint32_t>(fpga.size()), mcuOffset, static_cast<uint32_t>(mcu.size())});
}

Bytes containerBytes(const Bytes& fpga, const Bytes& mcu, const ContainerLayout& layout) {
    Bytes bytes(72, 0);
    for (size_t word = 0; word < 14; ++word) putWord(bytes, word, 0x574B0000u + static_cast<uint32_t>(word));
    putWord(bytes, 14, layout.fpgaOffset);
    putWord(bytes, 15, layout.fpgaLength);
    putWord(bytes, 16, layout.mcuOffset);
    putWord(bytes, 17, layout.mcuLength);
    bytes.insert(bytes.end(), fpga.begin(), fpga.end());
    bytes.insert(bytes.end(), mcu.begin(), mcu.end());
    return bytes;
}

void writeContainer(const std::filesystem::path& file, const Bytes& container) {
    if (!image::writeImage(container, file, image::formatFromName(file)))
        throw std::runtime_error("cannot write " + file.string());
}

Bytes frame(std::initializer_list<uint8_t> head) {
    Bytes f(16, 0);
    std::copy(head.begin(), head.end(), f.begin());
    return f;
}

Bytes addressFrame(uint8_t opcode, uint32_t address) {
    return frame({opcode, static_cast<uint8_t>(address >> 16), static_cast<uint8_t>(address >> 8),
                  static_cast<uint8_t>(address)});
}

Bytes pageWriteFrame(uint32_t address) {
    Bytes f = addressFrame(0x34, address);
    std::fill(f.begin() + 4, f.end(), 0xFF);
    return f;
}

void appendImageFrames(std::vector<Bytes>& frames, uint32_t base, uint64_t size) {
    const uint64_t pages = size / 256 + 1;  // padded: a whole last page gains one more
    for (uint64_t p = 0; p < pages; ++p) frames.push_back(pageWriteFrame(base + static_cast<uint32_t>(p * 256)));
    for (uint64_t p = 0; p < pages; ++p) frames.push_back(addressFrame(0x33, base + static_cast<uint32_t>(p * 256)));
}

std::vector<Bytes> expectedUpdateFrames(const ExpectedUpdate& update) {
    const Bytes version = frame({0x10});
    const Bytes id = frame({0x30});
    std::vector<Bytes> frames = {version, frame({0x36}), id, version};
    if (update.chipErase) {
        frames.push_back(frame({0x31}));
        for (int i = 0; i < update.statusReads; ++i) frames.push_back(frame({0x32}));
    } else {
        for (uint32_t sector = 0; sector < 30; ++sector) frames.push_back(addressFrame(0x37, sector * 0x10000));
    }
    frames.push_back(id);
    appendImageFrames(frames, 0x000000, update.fpgaSize);
    frames.push_back(id);
    appendImageFrames(frames, 0x100100, update.mcuSize);
    frames.push_back(id);
    frames.push_back(pageWriteFrame(0x100000));
    frames.push_back(addressFrame(0x33, 0x100000));
    return frames;
}

}  // namespace zel::test::maintenance
