#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include "ImageTestSupport.h"
#include "image/ImageReader.h"
#include "image/ImageWriter.h"

namespace zel::image {
namespace {

using namespace ::testing;
using namespace support;

std::vector<std::string> splitCrlf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "every line ends with CRLF";
        if (end == std::string::npos) break;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

TEST(IntelHexWriter, SmallImagesByteExact) {
    EXPECT_EQ(intelHexText({}), ":020000040000FA\r\n:00000001FF\r\n");
    EXPECT_EQ(intelHexText(counting(16)),
              ":020000040000FA\r\n"
              ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
              ":00000001FF\r\n");
    EXPECT_EQ(intelHexText(counting(17)),
              ":020000040000FA\r\n"
              ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
              ":0100100010DF\r\n"
              ":00000001FF\r\n");
    EXPECT_EQ(intelHexText(counting(40)),
              ":020000040000FA\r\n"
              ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
              ":10001000101112131415161718191A1B1C1D1E1F68\r\n"
              ":080020002021222324252627BC\r\n"
              ":00000001FF\r\n");
}

TEST(IntelHexWriter, AddressRecordForEveryBlockIncludingAnEmptyLastOne) {
    auto lines = splitCrlf(intelHexText(Image(0x20000, 0xA5)));
    ASSERT_EQ(lines.size(), 3u + 8192u + 1u);
    EXPECT_EQ(lines[0], ":020000040000FA");
    EXPECT_EQ(lines[1], ":10000000A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A0");
    EXPECT_EQ(lines[4096], ":10FFF000A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5B1");
    EXPECT_EQ(lines[4097], ":020000040001F9");
    EXPECT_EQ(lines[4098], ":10000000A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A0");
    EXPECT_EQ(lines[8194], ":020000040002F8");
    EXPECT_EQ(lines[8195], ":00000001FF");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](auto& l) { return l.starts_with(":10"); }), 8192);
}

TEST(IntelHexWriter, BlockNumberChecksumCoversBothBytes) {
    // Block 0x100 (the image reaches 16 MiB): the record carries 01 00 and checksum F9.
    auto text = intelHexText(Image(0x1000000 + 1, 0));
    EXPECT_THAT(text, HasSubstr("\r\n:020000040100F9\r\n:0100000000FF\r\n:00000001FF\r\n"));
}

TEST(SRecordWriter, SmallImagesByteExact) {
    EXPECT_EQ(sRecordText({}), "");
    EXPECT_EQ(sRecordText(counting(16)), "S31500000000000102030405060708090A0B0C0D0E0F72\r\n");
    EXPECT_EQ(sRecordText(counting(17)), "S31600000000000102030405060708090A0B0C0D0E0F1061\r\n");
    EXPECT_EQ(sRecordText(counting(40)),
              "S32500000000000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1FEA\r\n"
              "S30D000000202021222324252627B6\r\n");
}

TEST(SRecordWriter, AddressesRunOnPast64KiB) {
    auto lines = splitCrlf(sRecordText(Image(0x20000, 0)));
    ASSERT_EQ(lines.size(), 0x20000u / 32);
    EXPECT_EQ(lines.back().substr(0, 12), "S3250001FFE0");
    EXPECT_EQ(lines[0x800].substr(0, 12), "S32500010000");
}

TEST(ImageWriters, FilesHoldTheSameTextAsTheEncoders) {
    // Large enough for the text to pass through the file writer's buffer several times.
    support::ScratchFolder folder;
    auto bytes = randomBytes(0x10000 * 12 + 77, 7);
    ASSERT_TRUE(writeIntelHex(bytes, folder / "a.hex"));
    ASSERT_TRUE(writeSRecord(bytes, folder / "a.s19"));
    ASSERT_TRUE(writeBinary(bytes, folder / "a.bin"));
    EXPECT_EQ(readText(folder / "a.hex"), intelHexText(bytes));
    EXPECT_EQ(readText(folder / "a.s19"), sRecordText(bytes));
    EXPECT_EQ(readBytes(folder / "a.bin"), bytes);
}

TEST(ImageWriters, WidePathChoosesTheFormatByExtension) {
    support::ScratchFolder folder;
    auto bytes = counting(40);
    std::wstring base = folder.path().wstring();
    ASSERT_TRUE(writeImage(bytes, std::wstring_view(base + L"/x.HEX")));
    ASSERT_TRUE(writeImage(bytes, std::wstring_view(base + L"\\y.s19")));
    ASSERT_TRUE(writeImage(bytes, std::wstring_view(base + L"/z.hex.bak")));
    EXPECT_EQ(readText(folder / "x.HEX"), intelHexText(bytes));
    EXPECT_EQ(readText(folder / "y.s19"), sRecordText(bytes));
    EXPECT_EQ(readBytes(folder / "z.hex.bak"), bytes);
}

TEST(ImageWriters, FailWhenTheFileCannotBeCreated) {
    support::ScratchFolder folder;
    auto missing = folder / "no-such-folder";
    auto bytes = counting(40);
    EXPECT_FALSE(writeBinary(bytes, missing / "a.bin"));
    EXPECT_FALSE(writeIntelHex(bytes, missing / "a.hex"));
    EXPECT_FALSE(writeSRecord(bytes, missing / "a.s19"));
    EXPECT_FALSE(writeIntelHex(bytes, folder.path()));  // a folder is not a file
}

// The file-size limit makes writes past 1 MiB fail (EFBIG) in this process only.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int);
};

TEST(ImageWriters, FailedWriteLeavesNoPartialFile) {
    support::ScratchFolder folder;
    auto bytes = randomBytes(3 << 20, 1);
    FileSizeLimit limit(1 << 20);
    EXPECT_FALSE(writeIntelHex(bytes, folder / "a.hex"));
    EXPECT_FALSE(writeSRecord(bytes, folder / "a.s19"));
    EXPECT_FALSE(writeBinary(bytes, folder / "a.bin"));
    EXPECT_FALSE(std::filesystem::exists(folder / "a.hex"));
    EXPECT_FALSE(std::filesystem::exists(folder / "a.s19"));
    EXPECT_FALSE(std::filesystem::exists(folder / "a.bin"));
}

TEST(ImageWriters, FailedWriteToADeviceLeavesTheDevice) {
    if (!std::filesystem::is_character_file("/dev/full")) {
        GTEST_SKIP() << "no /dev/full device";
    }
    EXPECT_FALSE(writeBinary(counting(16), "/dev/full"));
    EXPECT_FALSE(writeIntelHex(counting(16), "/dev/full"));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

// Each writer's output read back by the matching reader gives the same bytes, at sizes around
// record and block boundaries.
TEST(ImageWriters, RoundTripThroughTheReaders) {
    for (size_t size : {1, 15, 16, 17, 31, 32, 33, 0xFFFF, 0x10000, 0x10001, 0x30000 + 5}) {
        auto bytes = randomBytes(size, static_cast<unsigned>(size));
        auto hex = parseIntelHex(intelHexText(bytes), "mem.hex");
        ASSERT_TRUE(hex) << hex.error().message;
        EXPECT_EQ(hex.image(), bytes) << size;
        auto srec = parseSRecord(sRecordText(bytes), "mem.s19");
        ASSERT_TRUE(srec) << srec.error().message;
        EXPECT_EQ(srec.image(), bytes) << size;
    }
}

// Past 16 MiB the writer's linear addresses need all 16 bits; past 4 MiB its S3 addresses more
// than 22 bits.
TEST(ImageWriters, ImagesBeyondSixteenMiBRoundTrip) {
    auto bytes = randomBytes((size_t{16} << 20) + 17, 99);
    auto hex = parseIntelHex(intelHexText(bytes), "big.hex");
    ASSERT_TRUE(hex) << hex.error().message;
    EXPECT_EQ(hex.image(), bytes);
    auto srec = parseSRecord(sRecordText(bytes), "big.s19");
    ASSERT_TRUE(srec) << srec.error().message;
    EXPECT_EQ(srec.image(), bytes);
}

}  // namespace
}  // namespace zel::image
