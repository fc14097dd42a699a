// zelfwbuild: the folders and containers it writes load back through the host's image readers
// with the header words, images and version headers the simulator boots from.
#include "ProgramRun.h"
#include "TempDir.h"
#include "firmware/SyntheticImage.h"
#include "image/ImageReader.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fw = zel::firmware;
using zel::test::runProgram;
using zel::test::TempDir;
using Bytes = std::vector<uint8_t>;

int build(const std::vector<std::string>& arguments) {
    return runProgram(ZELFWBUILD_PATH, arguments).exitCode;
}

Bytes load(const std::filesystem::path& path) {
    auto result = zel::image::readImage(path, zel::image::formatFromName(path));
    if (!result) throw std::runtime_error(result.error().message);
    return std::move(result).image();
}

std::span<const uint8_t> slice(const Bytes& bytes, size_t offset, size_t length) {
    if (offset + length > bytes.size()) throw std::out_of_range("slice beyond the container");
    return std::span(bytes).subspan(offset, length);
}

TEST(FwBuild, FolderHoldsBothImagesUnderEitherNaming) {
    TempDir dir;
    ASSERT_EQ(build({"folder", (dir / "a").string(), "--mcu", "2.30", "--fpga", "0x82.95", "--fpga-size", "5000",
                     "--mcu-size", "3001"}),
              0);
    const auto fpga = load(dir / "a/1.bin");
    const auto mcu = load(dir / "a/2.bin");
    ASSERT_EQ(fpga.size(), 5000u);
    ASSERT_EQ(mcu.size(), 3001u);
    EXPECT_EQ(fw::syntheticImageVersion(fpga, fw::ImageKind::Fpga, fw::kFpgaLimit), (fw::Version{0x82, 95}));
    EXPECT_EQ(fw::syntheticImageVersion(mcu, fw::ImageKind::Mcu, fw::kMcuLimit), (fw::Version{2, 30}));
    // The kinds are not interchangeable: an MCU image in the FPGA's place does not boot.
    EXPECT_FALSE(fw::syntheticImageVersion(mcu, fw::ImageKind::Fpga, fw::kFpgaLimit));

    ASSERT_EQ(build({"folder", (dir / "b").string(), "--mcu", "3.5", "--fpga", "2.1", "--names", "fpga-mcu"}), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "b/1.bin"));
    EXPECT_EQ(load(dir / "b/fpga.bin").size(), 600u << 10);
    EXPECT_EQ(load(dir / "b/mcu.bin").size(), 200u << 10);
}

TEST(FwBuild, ContainerInEveryFormatLoadsBackWithItsHeaderWords) {
    TempDir dir;
    const fw::Version fpgaVersion{2, 96}, mcuVersion{3, 7};
    const auto fpga = fw::makeSyntheticImage(fw::ImageKind::Fpga, fpgaVersion, 70001);
    const auto mcu = fw::makeSyntheticImage(fw::ImageKind::Mcu, mcuVersion, 20480);
    for (const char* name : {"g2.vkfw", "g2.HEX", "g2.s19"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(build({"container", (dir / name).string(), "--mcu", "3.7", "--fpga", "2.96", "--fpga-size", "70001",
                         "--mcu-size", "20480"}),
                  0);
        const auto bytes = load(dir / name);
        ASSERT_EQ(bytes.size(), 72u + 70001 + 20480);
        EXPECT_EQ(fw::loadLe32(bytes, 56), 72u);
        EXPECT_EQ(fw::loadLe32(bytes, 60), 70001u);
        EXPECT_EQ(fw::loadLe32(bytes, 64), 72u + 70001);
        EXPECT_EQ(fw::loadLe32(bytes, 68), 20480u);
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 8), Bytes(fw::kContainerMagic.begin(), fw::kContainerMagic.end()));
        EXPECT_EQ(fw::loadLe32(bytes, 12), 0x0260u);  // FPGA 2.96
        EXPECT_EQ(fw::loadLe32(bytes, 16), 0x0307u);  // MCU 3.7
        const auto fpgaPart = slice(bytes, fw::loadLe32(bytes, 56), fw::loadLe32(bytes, 60));
        const auto mcuPart = slice(bytes, fw::loadLe32(bytes, 64), fw::loadLe32(bytes, 68));
        EXPECT_TRUE(std::ranges::equal(fpgaPart, fpga));
        EXPECT_TRUE(std::ranges::equal(mcuPart, mcu));
        EXPECT_EQ(fw::syntheticImageVersion(fpgaPart, fw::ImageKind::Fpga, fw::kFpgaLimit), fpgaVersion);
        EXPECT_EQ(fw::syntheticImageVersion(mcuPart, fw::ImageKind::Mcu, fw::kMcuLimit), mcuVersion);
    }
    // --format overrides the extension.
    ASSERT_EQ(build({"container", (dir / "text.bin").string(), "--mcu", "3.7", "--fpga", "2.96", "--format", "hex"}), 0);
    EXPECT_EQ(zel::test::readBytes(dir / "text.bin").substr(0, 1), ":");
}

TEST(FwBuild, SizesBeyondTheFlashMapAreRefusedUnlessAllowed) {
    TempDir dir;
    const std::vector<std::string> versions = {"--mcu", "2.30", "--fpga", "2.95"};
    auto run = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), versions.begin(), versions.end());
        return build(arguments);
    };
    EXPECT_EQ(run({"container", (dir / "big.vkfw").string(), "--fpga-size", "1048576"}), 2);
    EXPECT_EQ(run({"folder", (dir / "big").string(), "--mcu-size", "917248"}), 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "big.vkfw"));
    EXPECT_FALSE(std::filesystem::exists(dir / "big/2.bin"));
    // A header does not fit in less than 32 bytes.
    EXPECT_EQ(run({"folder", (dir / "tiny").string(), "--fpga-size", "31"}), 2);

    ASSERT_EQ(run({"folder", (dir / "edge").string(), "--fpga-size", "1048575", "--mcu-size", "917247"}), 0);
    EXPECT_EQ(std::filesystem::file_size(dir / "edge/1.bin"), 1048575u);
    EXPECT_EQ(std::filesystem::file_size(dir / "edge/2.bin"), 917247u);

    ASSERT_EQ(run({"container", (dir / "over.vkfw").string(), "--fpga-size", "1048576", "--allow-oversize"}), 0);
    EXPECT_EQ(fw::loadLe32(load(dir / "over.vkfw"), 60), 1048576u);
    // The simulator does not boot an image larger than its area, whatever its header says.
    const auto oversize = fw::makeSyntheticImage(fw::ImageKind::Fpga, {2, 1}, 1048576);
    EXPECT_FALSE(fw::syntheticImageVersion(oversize, fw::ImageKind::Fpga, fw::kFpgaLimit));

    // Text containers beyond 4 and 16 MiB load back whole, like the raw container of the same sizes.
    for (const char* fpgaSize : {"3145728", "16777216"}) {
        SCOPED_TRACE(fpgaSize);
        const std::string stem = (dir / ("over" + std::string(fpgaSize))).string();
        for (const char* extension : {".vkfw", ".s19", ".hex"})
            ASSERT_EQ(run({"container", stem + extension, "--fpga-size", fpgaSize, "--mcu-size", "917247",
                           "--allow-oversize"}),
                      0);
        const auto raw = load(stem + ".vkfw");
        EXPECT_EQ(load(stem + ".s19"), raw);
        EXPECT_EQ(load(stem + ".hex"), raw);
    }
}

TEST(FwBuild, MalformedArgumentsAreUsageErrors) {
    TempDir dir;
    const auto out = (dir / "x.vkfw").string();
    EXPECT_EQ(build({"container", out, "--mcu", "2", "--fpga", "2.95"}), 1);
    EXPECT_EQ(build({"container", out, "--mcu", "2.256", "--fpga", "2.95"}), 1);
    EXPECT_EQ(build({"container", out, "--mcu", "2.30"}), 1);
    EXPECT_EQ(build({"container", out, "--mcu", "2.30", "--fpga", "2.95", "--format", "elf"}), 1);
    EXPECT_EQ(build({"folder", out, "--mcu", "2.30", "--fpga", "2.95", "--names", "ab"}), 1);
    EXPECT_EQ(build({"folder", out, "--mcu", "2.30", "--fpga", "2.95", "--fpga-size", "12k"}), 1);
    EXPECT_FALSE(std::filesystem::exists(out));
    // A place that cannot be written is not a usage error.
    EXPECT_EQ(build({"container", (dir / "missing/x.hex").string(), "--mcu", "2.30", "--fpga", "2.95"}), 3);
    zel::test::writeBytes(dir / "file", "x");
    EXPECT_EQ(build({"folder", (dir / "file").string(), "--mcu", "2.30", "--fpga", "2.95"}), 3);
}

TEST(FwBuild, VersionHeaderRejectsDamagedImages) {
    const auto image = fw::makeSyntheticImage(fw::ImageKind::Mcu, {2, 30}, 4096);
    ASSERT_TRUE(fw::syntheticImageVersion(image, fw::ImageKind::Mcu, fw::kMcuLimit));
    auto flipped = image;
    flipped[4000] ^= 0x01;
    EXPECT_FALSE(fw::syntheticImageVersion(flipped, fw::ImageKind::Mcu, fw::kMcuLimit));
    auto otherVersion = image;
    otherVersion[9] = 31;  // the checksum covers the version bytes
    EXPECT_FALSE(fw::syntheticImageVersion(otherVersion, fw::ImageKind::Mcu, fw::kMcuLimit));
    // Cut short: the header claims more bytes than there are.
    EXPECT_FALSE(fw::syntheticImageVersion(std::span(image).first(4095), fw::ImageKind::Mcu, fw::kMcuLimit));
    // Trailing bytes (the rest of a flash area) do not matter.
    auto padded = image;
    padded.resize(8192, 0xFF);
    EXPECT_EQ(fw::syntheticImageVersion(padded, fw::ImageKind::Mcu, fw::kMcuLimit), (fw::Version{2, 30}));
}

}  // namespace
