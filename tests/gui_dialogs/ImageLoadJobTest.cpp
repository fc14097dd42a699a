// Loading an image file into the host buffers: what lands where, the limits, the failures, and
// that a failed or cancelled load leaves no image behind.
#include "dialogs/core/ImageLoadJob.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <cstdio>
#include <thread>
#include <vector>

namespace zel::gui {
namespace {

constexpr uint32_t MiB = 1u << 20;

std::vector<uint8_t> bytesOf(const HostImageBuffer& buffer, uint64_t offset, uint64_t length)
{
    std::vector<uint8_t> bytes(length);
    EXPECT_EQ(vm_read(bytes.data(), buffer.handle() + offset, length), 1);
    return bytes;
}

ImageLoadResult load(const ImageLoadRequest& request)
{
    LoadProgress progress{0};
    auto result = loadImage(request, progress, std::stop_source().get_token());
    if (result.ok()) {
        EXPECT_EQ(progress.load(), 1000);
    }
    return result;
}

std::string pattern(size_t length)
{
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<char>(i * 7 + (i >> 12));
    return bytes;
}

TEST(ImageLoad, RawFileFillsTheBufferUpToTheChipAndTheCopyWhole)
{
    test::TempDir folder;
    const auto path = folder / "image.rom";
    const std::string text = pattern(MiB + 4321);  // larger than the chip
    test::writeBytes(path, text);
    const std::vector<uint8_t> file(text.begin(), text.end());

    const auto result = load({path, ImageFileFormat::Rom, 512 * 1024, false, 0x3C});
    ASSERT_TRUE(result.ok()) << result.logLine;
    EXPECT_EQ(result.logLine, path.string() + " is opened");
    const auto& image = *result.image;
    EXPECT_EQ(image.buffer.size(), 64u * MiB);
    EXPECT_EQ(image.imageLength, file.size());
    const auto buffered = bytesOf(image.buffer, 0, 512 * 1024 + 16);
    EXPECT_TRUE(std::equal(buffered.begin(), buffered.begin() + 512 * 1024, file.begin()));
    EXPECT_EQ(std::vector<uint8_t>(buffered.end() - 16, buffered.end()), std::vector<uint8_t>(16, 0x3C));
    EXPECT_EQ(bytesOf(image.buffer, 64u * MiB - 1, 1), std::vector<uint8_t>{0x3C});
    const auto copy = bytesOf(image.fileCopy, 0, file.size());
    EXPECT_EQ(copy, file);
    EXPECT_EQ(image.checksum, std::accumulate(file.begin(), file.end(), 0u));
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    EXPECT_EQ(std::sscanf(image.modifiedText.c_str(), "%d-%d-%d %d:%d:%d", &year, &month, &day, &hour, &minute,
                          &second),
              6)
        << image.modifiedText;
    EXPECT_GE(year, 2020);
}

TEST(ImageLoad, TextFileIsReadInTheChosenFormat)
{
    test::TempDir folder;
    const auto path = folder / "firmware.dat";  // the extension would say raw binary
    test::writeBytes(path, ":0400100001020304E2\n:00000001FF\n");
    const auto result = load({path, ImageFileFormat::IntelHex, 0, false, 0xFF});
    ASSERT_TRUE(result.ok()) << result.logLine;
    EXPECT_EQ(result.image->imageLength, 4u);
    EXPECT_EQ(bytesOf(result.image->buffer, 0, 5), (std::vector<uint8_t>{1, 2, 3, 4, 0xFF}));
}

TEST(ImageLoad, FailuresSayWhyAndLeaveNoImage)
{
    test::TempDir folder;
    const auto badHex = folder / "bad.hex";
    test::writeBytes(badHex, ":0400100001020304E2\n:0400140005060708FF\n");
    const auto bad = load({badHex, ImageFileFormat::IntelHex, 0, false, 0xFF});
    EXPECT_FALSE(bad.ok());
    EXPECT_EQ(bad.logLine.rfind("Error: ", 0), 0u) << bad.logLine;
    EXPECT_NE(bad.logLine.find("bad.hex"), std::string::npos) << bad.logLine;
    EXPECT_NE(bad.logLine.find("line 2"), std::string::npos) << bad.logLine;

    const auto missing = load({folder / "gone.bin", ImageFileFormat::RawBin, 0, false, 0xFF});
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.logLine.find("gone.bin"), std::string::npos) << missing.logLine;

    const auto empty = load({{}, ImageFileFormat::RawBin, 0, false, 0xFF});
    EXPECT_EQ(empty.logLine, "Error: File name missing, loading file aborted.");
    EXPECT_FALSE(empty.ok());
}

TEST(ImageLoad, SixtyFiveMiBFitsOnlyTheG2Buffer)
{
    test::TempDir folder;
    const auto path = folder / "large.bin";
    test::writeBytes(path, "");
    std::filesystem::resize_file(path, 65 * MiB);

    const auto firstGeneration = load({path, ImageFileFormat::RawBin, 0, false, 0xFF});
    EXPECT_FALSE(firstGeneration.ok());
    EXPECT_EQ(firstGeneration.logLine,
              "Error: File size is large than buffer size (64Mbytes), the file loaded failed.");

    const auto g2 = load({path, ImageFileFormat::RawBin, 128 * MiB, true, 0xFF});
    ASSERT_TRUE(g2.ok()) << g2.logLine;
    EXPECT_EQ(g2.image->buffer.size(), 256u * MiB);
    EXPECT_EQ(g2.image->imageLength, 65u * MiB);
    EXPECT_EQ(bytesOf(g2.image->buffer, 65 * MiB - 1, 2), (std::vector<uint8_t>{0x00, 0xFF}));
}

TEST(ImageLoadJob, RunsOnItsWorkerAndStopsWhenCancelled)
{
    test::TempDir folder;
    const auto path = folder / "image.bin";
    test::writeBytes(path, pattern(3 * MiB));

    ImageLoadJob job({path, ImageFileFormat::RawBin, 0, false, 0xFF});
    const auto result = job.takeResult();
    EXPECT_TRUE(job.finished());
    EXPECT_EQ(job.progressPerMille(), 1000);
    ASSERT_TRUE(result.ok()) << result.logLine;
    EXPECT_EQ(result.image->imageLength, 3 * MiB);

    std::stop_source stopped;
    stopped.request_stop();
    LoadProgress progress{0};
    const auto cancelled = loadImage({path, ImageFileFormat::RawBin, 0, false, 0xFF}, progress, stopped.get_token());
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_FALSE(cancelled.ok());
    EXPECT_EQ(loadingLine(path), "Loading " + path.string() + " ...");
}

}  // namespace
}  // namespace zel::gui
