// What a firmware delivery must satisfy before the on-board flash is touched: the image pair of
// a first-generation folder, the header of a G2 container (offsets and lengths in 64 bits, inside
// the container), the size of each image, and the container formats chosen by extension.
#include "FirmwareFixtures.h"
#include "FirmwareSource.h"
#include "FlashWriter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace zel::devlink {
namespace {

using test::TempDir;
using test::maintenance::Bytes;
using test::maintenance::ContainerLayout;
using test::maintenance::containerBytes;
using test::maintenance::syntheticImage;
using test::maintenance::writeContainer;
using test::maintenance::writeFirmwareFolder;

FirmwareProblem problemOf(const FirmwareSource& source) {
    EXPECT_TRUE(std::holds_alternative<FirmwareProblem>(source)) << "the source was accepted";
    return std::holds_alternative<FirmwareProblem>(source) ? std::get<FirmwareProblem>(source)
                                                           : FirmwareProblem::Unreadable;
}

const FirmwareImages& imagesOf(const FirmwareSource& source) {
    static const FirmwareImages none;
    EXPECT_TRUE(std::holds_alternative<FirmwareImages>(source)) << "the source was refused";
    return std::holds_alternative<FirmwareImages>(source) ? std::get<FirmwareImages>(source) : none;
}

// ---- first-generation folder ----

TEST(FirmwareFolder, NumberedPairIsPreferredAndNamedPairIsTheFallback) {
    TempDir dir;
    const Bytes fpga = syntheticImage(700, 1), mcu = syntheticImage(300, 2);
    writeFirmwareFolder(dir.path(), fpga, mcu);
    writeFirmwareFolder(dir.path(), syntheticImage(10, 3), syntheticImage(10, 4), "fpga.bin", "mcu.bin");
    auto numbered = loadFirmwareFolder(dir.path());
    EXPECT_EQ(imagesOf(numbered).fpga, fpga);
    EXPECT_EQ(imagesOf(numbered).mcu, mcu);

    TempDir named;
    writeFirmwareFolder(named.path(), fpga, mcu, "fpga.bin", "mcu.bin");
    writeFirmwareFolder(named.path(), Bytes{}, Bytes{});  // empty 1.bin and 2.bin count as missing
    auto fallback = loadFirmwareFolder(named.path());
    EXPECT_EQ(imagesOf(fallback).fpga, fpga);
    EXPECT_EQ(imagesOf(fallback).mcu, mcu);
}

TEST(FirmwareFolder, ImagesOfDifferentPairsAreNeverMixed) {
    TempDir mixed;  // 1.bin and mcu.bin only
    writeFirmwareFolder(mixed.path(), syntheticImage(10, 1), syntheticImage(10, 2), "1.bin", "mcu.bin");
    EXPECT_EQ(problemOf(loadFirmwareFolder(mixed.path())), FirmwareProblem::NoImagePair);

    // 1.bin with an empty 2.bin beside a complete named pair: both images come from the named pair.
    TempDir fallback;
    const Bytes fpga = syntheticImage(40, 5), mcu = syntheticImage(50, 6);
    writeFirmwareFolder(fallback.path(), fpga, mcu, "fpga.bin", "mcu.bin");
    writeFirmwareFolder(fallback.path(), syntheticImage(60, 7), Bytes{});
    auto source = loadFirmwareFolder(fallback.path());
    EXPECT_EQ(imagesOf(source).fpga, fpga);
    EXPECT_EQ(imagesOf(source).mcu, mcu);
}

TEST(FirmwareFolder, MissingFolderOrFolderNamedAsImageIsRefused) {
    TempDir dir;
    EXPECT_EQ(problemOf(loadFirmwareFolder(dir / "absent")), FirmwareProblem::NoImagePair);
    std::filesystem::create_directories(dir / "1.bin");  // a folder where a file belongs
    writeFirmwareFolder(dir.path(), Bytes{}, syntheticImage(10, 1), "fpga.bin", "2.bin");
    EXPECT_EQ(problemOf(loadFirmwareFolder(dir.path())), FirmwareProblem::NoImagePair);
}

TEST(FirmwareFolder, ImagesAtTheirAreaLimitsPassAndOneByteMoreIsRefused) {
    TempDir fits;
    writeFirmwareFolder(fits.path(), syntheticImage(kMaxFpgaImageSize, 1), syntheticImage(kMaxMcuImageSize, 2));
    auto source = loadFirmwareFolder(fits.path());
    EXPECT_EQ(imagesOf(source).fpga.size(), kMaxFpgaImageSize);
    EXPECT_EQ(imagesOf(source).mcu.size(), kMaxMcuImageSize);

    TempDir bigFpga;
    writeFirmwareFolder(bigFpga.path(), syntheticImage(kMaxFpgaImageSize + 1, 1), syntheticImage(10, 2));
    EXPECT_EQ(problemOf(loadFirmwareFolder(bigFpga.path())), FirmwareProblem::FpgaImageTooLarge);

    TempDir bigMcu;
    writeFirmwareFolder(bigMcu.path(), syntheticImage(10, 1), syntheticImage(kMaxMcuImageSize + 1, 2), "fpga.bin",
                        "mcu.bin");
    EXPECT_EQ(problemOf(loadFirmwareFolder(bigMcu.path())), FirmwareProblem::McuImageTooLarge);
}

TEST(FirmwareFolder, LargestImagesEndExactlyAtTheirAreas) {
    // The FPGA area ends at the boot marker page, the MCU area at the kept device data.
    EXPECT_EQ(kFpgaImageAddress + paddedImageSize(kMaxFpgaImageSize), kBootMarkerAddress);
    EXPECT_EQ(kMcuImageAddress + paddedImageSize(kMaxMcuImageSize), 0x1E0000u);
    EXPECT_EQ(paddedImageSize(512), 768u);
    EXPECT_EQ(paddedImageSize(1), 256u);
}

// ---- G2 container header ----

TEST(FirmwareContainer, HeaderWordsLocateBothImages) {
    const Bytes fpga = syntheticImage(1000, 1), mcu = syntheticImage(333, 2);
    auto source = splitFirmwareContainer(containerBytes(fpga, mcu));
    EXPECT_EQ(imagesOf(source).fpga, fpga);
    EXPECT_EQ(imagesOf(source).mcu, mcu);

    // The MCU image may come first and the images may overlap the header: only the words count.
    const Bytes swapped = containerBytes(fpga, mcu, {72 + 1000, 333, 0, 72});
    auto reordered = splitFirmwareContainer(swapped);
    EXPECT_EQ(imagesOf(reordered).fpga, mcu);
    EXPECT_EQ(imagesOf(reordered).mcu, Bytes(swapped.begin(), swapped.begin() + 72));
}

TEST(FirmwareContainer, ShortOrEmptyOrOutsideIsRefused) {
    const Bytes fpga = syntheticImage(100, 1), mcu = syntheticImage(100, 2);
    EXPECT_EQ(problemOf(splitFirmwareContainer(Bytes(71, 0))), FirmwareProblem::ShortContainer);
    EXPECT_EQ(problemOf(splitFirmwareContainer(containerBytes(fpga, mcu, {72, 100, 172, 0}))),
              FirmwareProblem::EmptyImage);
    EXPECT_EQ(problemOf(splitFirmwareContainer(containerBytes(fpga, mcu, {72, 0, 172, 100}))),
              FirmwareProblem::EmptyImage);
    // The container holds 272 bytes: one byte past its end, and an offset beyond it.
    EXPECT_EQ(problemOf(splitFirmwareContainer(containerBytes(fpga, mcu, {72, 100, 172, 101}))),
              FirmwareProblem::ImageOutsideContainer);
    EXPECT_EQ(problemOf(splitFirmwareContainer(containerBytes(fpga, mcu, {273, 1, 172, 100}))),
              FirmwareProblem::ImageOutsideContainer);
    // Offset + length wraps to 0x100 in 32 bits: still outside.
    EXPECT_EQ(problemOf(splitFirmwareContainer(containerBytes(fpga, mcu, {0xFFFFFF00u, 0x200, 172, 100}))),
              FirmwareProblem::ImageOutsideContainer);
    EXPECT_EQ(problemOf(splitFirmwareContainer(containerBytes(fpga, mcu, {72, 100, 0xFFFFFFFFu, 0xFFFFFFFFu}))),
              FirmwareProblem::ImageOutsideContainer);
    // An image that ends exactly at the container's end fits.
    EXPECT_TRUE(std::holds_alternative<FirmwareImages>(splitFirmwareContainer(containerBytes(fpga, mcu, {72, 100, 172, 100}))));
}

TEST(FirmwareContainer, ImageSizesAreHeldToTheirAreas) {
    const Bytes fpga = syntheticImage(kMaxFpgaImageSize + 1, 1), mcu = syntheticImage(kMaxMcuImageSize + 1, 2);
    const uint32_t fpgaFits = static_cast<uint32_t>(kMaxFpgaImageSize);
    const uint32_t mcuFits = static_cast<uint32_t>(kMaxMcuImageSize);
    const uint32_t mcuAt = 72 + fpgaFits + 1;
    auto fits = splitFirmwareContainer(containerBytes(fpga, mcu, {72, fpgaFits, mcuAt, mcuFits}));
    EXPECT_EQ(imagesOf(fits).fpga.size(), kMaxFpgaImageSize);
    EXPECT_EQ(imagesOf(fits).mcu.size(), kMaxMcuImageSize);
    EXPECT_EQ(problemOf(splitFirmwareContainer(containerBytes(fpga, mcu, {72, fpgaFits + 1, mcuAt, mcuFits}))),
              FirmwareProblem::FpgaImageTooLarge);
    EXPECT_EQ(problemOf(splitFirmwareContainer(containerBytes(fpga, mcu, {72, fpgaFits, mcuAt, mcuFits + 1}))),
              FirmwareProblem::McuImageTooLarge);
}

TEST(FirmwareContainer, ExtensionChoosesTheReaderInAnyCase) {
    TempDir dir;
    const Bytes fpga = syntheticImage(5000, 1), mcu = syntheticImage(1234, 2);
    const Bytes container = containerBytes(fpga, mcu);
    for (const char* name : {"fw.vkfw", "fw.hex", "FW.HEX", "fw.Hex", "fw.s19", "FW.S19", "fw"}) {
        writeContainer(dir / name, container);
        auto source = loadFirmwareContainer(dir / name);
        EXPECT_EQ(imagesOf(source).fpga, fpga) << name;
        EXPECT_EQ(imagesOf(source).mcu, mcu) << name;
    }
    // A HEX text read as raw bytes has no sensible header.
    std::filesystem::copy_file(dir / "fw.hex", dir / "fw.hex.bak");
    EXPECT_TRUE(std::holds_alternative<FirmwareProblem>(loadFirmwareContainer(dir / "fw.hex.bak")));
}

TEST(FirmwareContainer, UnreadableOrMalformedContainerIsRefused) {
    TempDir dir;
    EXPECT_EQ(problemOf(loadFirmwareContainer(dir / "missing.vkfw")), FirmwareProblem::Unreadable);
    test::writeBytes(dir / "empty.vkfw", "");
    EXPECT_EQ(problemOf(loadFirmwareContainer(dir / "empty.vkfw")), FirmwareProblem::Unreadable);
    test::writeBytes(dir / "bad.hex", ":10000000000102030405060708090A0B0C0D0E0FFF\n");  // wrong checksum
    EXPECT_EQ(problemOf(loadFirmwareContainer(dir / "bad.hex")), FirmwareProblem::Unreadable);
}

}  // namespace
}  // namespace zel::devlink
