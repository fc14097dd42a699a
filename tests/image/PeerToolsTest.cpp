// Cross-checks against independent tools: files that srec_cat and objcopy make in this run
// load to the bytes of the tool's own conversion to binary, and files our writers make load in
// both tools to the bytes we wrote.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ImageTestSupport.h"
#include "image/ImageReader.h"
#include "image/ImageWriter.h"

namespace zel::image {
namespace {

using support::ScratchFolder;

bool haveTool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

// Runs a shell command with its diagnostics in the folder's log; fails the test on a non-zero exit.
void run(const ScratchFolder& folder, const std::string& command) {
    auto log = folder / "tool.log";
    int status = std::system((command + " >" + quoted(log) + " 2>&1").c_str());
    ASSERT_EQ(status, 0) << command << "\n" << support::readText(log);
}

// A data piece placed at an address by the file maker.
struct Piece {
    uint32_t address;
    size_t size;
};

// Binary files for the pieces and the srec_cat arguments that place them.
std::string srecCatInputs(const ScratchFolder& folder, const std::vector<Piece>& pieces) {
    std::string inputs;
    for (size_t i = 0; i < pieces.size(); ++i) {
        auto path = folder / ("piece" + std::to_string(i) + ".bin");
        support::writeFile(path, support::randomBytes(pieces[i].size, static_cast<unsigned>(i + pieces[i].address)));
        inputs += " " + quoted(path) + " -binary -offset " + std::to_string(pieces[i].address);
    }
    return inputs;
}

// srec_cat's own binary image of a file: from the lowest address, holes filled with 0xFF.
Image srecCatBinary(const ScratchFolder& folder, const std::filesystem::path& file, const std::string& format) {
    auto out = folder / "peer.bin";
    std::string in = quoted(file) + " " + format;
    run(folder, "srec_cat '(' " + in + " -fill 0xFF -over " + in + " ')' -offset - -minimum-address " + in +
                    " -o " + quoted(out) + " -binary");
    return support::readBytes(out);
}

Image objcopyBinary(const ScratchFolder& folder, const std::filesystem::path& file, const std::string& format) {
    auto out = folder / "peer.bin";
    run(folder, "objcopy -I " + format + " -O binary --gap-fill 0xff " + quoted(file) + " " + quoted(out));
    return support::readBytes(out);
}

Image ourImage(const std::filesystem::path& file) {
    auto result = readImage(file, formatFromName(file), [](std::string_view notice) { ADD_FAILURE() << notice; });
    EXPECT_TRUE(result) << result.error().message;
    return result ? result.image() : Image{};
}

struct SrecCatCase {
    const char* name;
    std::string options;  // output options of srec_cat
    std::vector<Piece> pieces;
    std::string startAddress = "";
};

// ---- Intel HEX made by srec_cat ----

class SrecCatIntelHex : public ::testing::TestWithParam<SrecCatCase> {};

TEST_P(SrecCatIntelHex, LoadsLikeThePeersBinary) {
    if (!haveTool("srec_cat")) {
        GTEST_SKIP() << "srec_cat (package srecord) is not installed";
    }
    ScratchFolder folder;
    auto file = folder / "peer.hex";
    run(folder, "srec_cat" + srecCatInputs(folder, GetParam().pieces) + " -o " + quoted(file) + " -intel " + GetParam().options);
    auto image = ourImage(file);
    ASSERT_FALSE(image.empty());
    EXPECT_EQ(image, srecCatBinary(folder, file, "-intel"));
    if (haveTool("objcopy")) {
        EXPECT_EQ(image, objcopyBinary(folder, file, "ihex"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, SrecCatIntelHex,
    ::testing::Values(
        SrecCatCase{"Linear16ByteRecordsWithGaps", "-output-block-size=16", {{0x1000, 100}, {0x23456, 70}, {0x123456, 300}}},
        SrecCatCase{"Linear32ByteRecordsCrlf", "-output-block-size=32 -crlf", {{0x00FFF0, 64}, {0x4FF000, 0x2345}}},
        SrecCatCase{"Segment16ByteRecords", "-address-length=3 -output-block-size=16", {{0x100, 33}, {0x23456, 70}, {0xF0000, 0x10000}}},
        SrecCatCase{"Segment32ByteRecordsCrlf", "-address-length=3 -output-block-size=32 -crlf", {{0x8000, 0x18000}}},
        SrecCatCase{"SixteenBitAddressesOnly", "-address-length=2", {{0x10, 5}, {0xFF00, 0x100}}},
        SrecCatCase{"AcrossSixteenMiB", "-output-block-size=16", {{0xFFFF00, 0x100}, {0x1000000, 0x80}}},
        // Upper linear addresses beyond 8 bits.
        SrecCatCase{"HighLinearAddresses", "-output-block-size=16 -crlf", {{0x10000000, 0x200}, {0x10FF0000, 0x40}, {0x11000010, 0x40}}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- S-records made by srec_cat (S0 header, S5 count, S7/S8/S9 with a start address) ----

class SrecCatSRecord : public ::testing::TestWithParam<SrecCatCase> {};

TEST_P(SrecCatSRecord, LoadsLikeThePeersBinary) {
    if (!haveTool("srec_cat")) {
        GTEST_SKIP() << "srec_cat (package srecord) is not installed";
    }
    ScratchFolder folder;
    auto file = folder / "peer.s19";
    std::string start = GetParam().startAddress.empty() ? "" : " -execution-start-address=" + GetParam().startAddress;
    run(folder, "srec_cat" + srecCatInputs(folder, GetParam().pieces) + start + " -o " + quoted(file) + " -motorola " +
                    GetParam().options);
    auto image = ourImage(file);
    ASSERT_FALSE(image.empty());
    EXPECT_EQ(image, srecCatBinary(folder, file, "-motorola"));
    if (haveTool("objcopy")) {
        EXPECT_EQ(image, objcopyBinary(folder, file, "srec"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, SrecCatSRecord,
    ::testing::Values(
        SrecCatCase{"S1WithS9", "-output-block-size=16", {{0x0100, 100}, {0x8000, 0x2000}}, "0x100"},
        SrecCatCase{"S2WithS8Crlf", "-address-length=3 -output-block-size=32 -crlf", {{0x1000, 100}, {0x23456, 700}}, "0x1000"},
        SrecCatCase{"S3WithS7", "-address-length=4 -output-block-size=32", {{0x1000, 0x100}, {0x300000, 0x10000}}, "0x1000"},
        SrecCatCase{"MixedS1S2WithoutStart", "", {{0x0100, 100}, {0x23456, 70}}},
        SrecCatCase{"S3HighAddressesCrlf", "-address-length=4 -crlf", {{0x08001000, 0x300}, {0x08020000, 0x40}}, "0x08000000"},
        SrecCatCase{"S3SpreadOverEightMiB", "-address-length=4 -output-block-size=32", {{0x100, 0x100}, {0x600000, 0x100}, {0x7FFF00, 0x100}}},
        SrecCatCase{"S2AcrossFourMiB", "-address-length=3", {{0x3FFF00, 0x200}}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Files made by objcopy ----

struct ObjcopyCase {
    const char* name;
    std::string format;   // ihex or srec
    std::string options;  // extra output options
    uint32_t address;
    size_t size;
    std::string extension;
};

class ObjcopyFiles : public ::testing::TestWithParam<ObjcopyCase> {};

TEST_P(ObjcopyFiles, LoadLikeThePeersBinary) {
    if (!haveTool("objcopy")) {
        GTEST_SKIP() << "objcopy (package binutils) is not installed";
    }
    const auto& param = GetParam();
    ScratchFolder folder;
    auto data = folder / "data.bin";
    auto bytes = support::randomBytes(param.size, param.address);
    support::writeFile(data, bytes);
    auto file = folder / ("peer" + param.extension);
    run(folder, "objcopy -I binary -O " + param.format + " " + param.options + " --change-addresses " +
                    std::to_string(param.address) + " " + quoted(data) + " " + quoted(file));
    auto image = ourImage(file);
    EXPECT_EQ(image, objcopyBinary(folder, file, param.format));
    EXPECT_EQ(image, bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ObjcopyFiles,
    ::testing::Values(ObjcopyCase{"HexSixteenBit", "ihex", "", 0x8000, 0x4000, ".hex"},
                      ObjcopyCase{"HexSegment", "ihex", "", 0x23000, 0x30000, ".hex"},
                      ObjcopyCase{"HexLinear", "ihex", "", 0x123000, 0x30000, ".hex"},
                      ObjcopyCase{"HexAcrossSixteenMiB", "ihex", "", 0xFF8000, 0x10000, ".hex"},
                      ObjcopyCase{"HexAcross256MiB", "ihex", "", 0xFFF8000, 0x10000, ".hex"},
                      ObjcopyCase{"SRecordS1", "srec", "", 0x100, 0x1000, ".s19"},
                      ObjcopyCase{"SRecordS2", "srec", "--srec-len=16", 0x123000, 0x20000, ".s19"},
                      ObjcopyCase{"SRecordS3High", "srec", "", 0x08000000, 0x10000, ".s19"},
                      ObjcopyCase{"SRecordAcrossFourMiB", "srec", "", 0x3F8000, 0x10000, ".s19"},
                      ObjcopyCase{"SRecordForcedS3", "srec", "--srec-forceS3 --srec-len=32", 0x2000, 0x10000, ".s19"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Files our writers make, read by the peers ----

class WrittenFilesInPeers : public ::testing::TestWithParam<size_t> {};

TEST_P(WrittenFilesInPeers, LoadToTheBytesWeWrote) {
    bool srecCat = haveTool("srec_cat");
    bool objcopy = haveTool("objcopy");
    if (!srecCat && !objcopy) {
        GTEST_SKIP() << "neither srec_cat nor objcopy is installed";
    }
    ScratchFolder folder;
    auto bytes = support::randomBytes(GetParam(), static_cast<unsigned>(GetParam()));
    auto hex = folder / "ours.hex";
    auto s19 = folder / "ours.s19";
    ASSERT_TRUE(writeIntelHex(bytes, hex));
    ASSERT_TRUE(writeSRecord(bytes, s19));
    auto out = folder / "out.bin";
    // Our files start at address 0, so a plain conversion gives the image.
    if (srecCat) {
        run(folder, "srec_cat " + quoted(hex) + " -intel -o " + quoted(out) + " -binary");
        EXPECT_EQ(support::readBytes(out), bytes);
        run(folder, "srec_cat " + quoted(s19) + " -motorola -o " + quoted(out) + " -binary");
        EXPECT_EQ(support::readBytes(out), bytes);
    }
    if (objcopy) {
        run(folder, "objcopy -I ihex -O binary " + quoted(hex) + " " + quoted(out));
        EXPECT_EQ(support::readBytes(out), bytes);
        run(folder, "objcopy -I srec -O binary " + quoted(s19) + " " + quoted(out));
        EXPECT_EQ(support::readBytes(out), bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, WrittenFilesInPeers, ::testing::Values(1, 17, 40, 0x10000, 0x20000, 0x20000 + 40, 0x123457));

}  // namespace
}  // namespace zel::image
