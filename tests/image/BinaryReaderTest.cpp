#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "ChildProcess.h"
#include "ImageTestSupport.h"
#include "image/ImageReader.h"

namespace zel::image {
namespace {

using namespace ::testing;
using namespace support;

TEST(BinaryReader, ReadsTheWholeFile) {
    support::ScratchFolder folder;
    auto bytes = support::randomBytes(3 * 1024 * 1024 + 5, 21);
    writeFile(folder / "fw.bin", bytes);
    auto result = readBinary(folder / "fw.bin");
    ASSERT_TRUE(result);
    EXPECT_EQ(result.image(), bytes);
}

TEST(BinaryReader, EmptyFileIsADistinctFailure) {
    support::ScratchFolder folder;
    writeFile(folder / "empty.bin", std::string());
    auto result = readBinary(folder / "empty.bin");
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().failure, ReadFailure::EmptyFile);
    EXPECT_THAT(result.error().message, HasSubstr("empty.bin"));
}

TEST(BinaryReader, MissingFileCannotBeOpened) {
    support::ScratchFolder folder;
    auto result = readBinary(folder / "missing.bin");
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().failure, ReadFailure::CannotOpen);
}

TEST(BinaryReader, TextNamesWithoutTheirExtensionLoadRaw) {
    support::ScratchFolder folder;
    writeFile(folder / "image.hex.bak", std::string(":00000001FF\n"));
    auto result = readImage((folder.path() / "image.hex.bak").wstring());
    ASSERT_TRUE(result);
    EXPECT_EQ(result.image().size(), 12u);
}

// A FIFO without a writer would block the open, /dev/zero would fill memory for ever. The reads run
// in a child so that a regression fails at the time-out instead of hanging.
TEST(BinaryReader, FifosDevicesAndFoldersAreRefusedWithoutBlocking) {
    support::ScratchFolder folder;
    ASSERT_EQ(mkfifo((folder / "fifo.bin").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((folder / "fifo.hex").c_str(), 0600), 0);
    std::filesystem::create_directory(folder / "folder.bin");
    for (const std::filesystem::path& path : {folder / "fifo.bin", folder / "fifo.hex", std::filesystem::path("/dev/zero"),
                                             folder / "folder.bin"}) {
        auto r = zel::test::runInChild(
            [&] {
                auto result = readImage(path, formatFromName(path));
                return !result && result.error().failure == ReadFailure::CannotRead &&
                               result.error().message == path.string() + ": not a regular file"
                           ? 0
                           : 1;
            },
            std::chrono::seconds(20));
        EXPECT_FALSE(r.timedOut) << path << " blocked the read";
        EXPECT_EQ(r.status, 0) << path;
    }
}

TEST(BinaryPrefix, ReportsTheWholeSizeAndReadsOnlyTheLimit) {
    support::ScratchFolder folder;
    auto bytes = support::randomBytes(100000, 4);
    writeFile(folder / "big.bin", bytes);
    auto prefix = readBinaryPrefix(folder / "big.bin", 4096);
    ASSERT_TRUE(prefix);
    EXPECT_EQ(prefix->fileSize, 100000u);
    EXPECT_EQ(prefix->bytes, Image(bytes.begin(), bytes.begin() + 4096));

    auto whole = readBinaryPrefix(folder / "big.bin", 1 << 20);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->bytes, bytes);
    EXPECT_FALSE(readBinaryPrefix(folder / "missing.bin", 10));
}

}  // namespace
}  // namespace zel::image
