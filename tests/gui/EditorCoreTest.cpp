// The buffer editor's Qt-free rules: hexadecimal fields, the display and fill ranges, the compare
// walk, the swaps with their padding, and the host buffer as the editor changes it.
#include <gtest/gtest.h>

#include <fstream>
#include <numeric>
#include <vector>

#include "BufferCompare.h"
#include "BufferSwap.h"
#include "EditorBuffer.h"
#include "EditorRanges.h"
#include "HexField.h"
#include "TempDir.h"
#include "dialogs/core/HostImageBuffer.h"

namespace zel::gui::editor {
namespace {

std::vector<uint8_t> iota(size_t size) {
    std::vector<uint8_t> bytes(size);
    std::iota(bytes.begin(), bytes.end(), uint8_t{0});
    return bytes;
}

uint32_t sum(std::span<const uint8_t> bytes) { return std::accumulate(bytes.begin(), bytes.end(), uint32_t{0}); }

TEST(HexField, EmptyIsZeroBlanksAndPrefixAllowedAnythingElseRefused) {
    EXPECT_EQ(parseHexField(""), 0u);
    EXPECT_EQ(parseHexField("   "), 0u);
    EXPECT_EQ(parseHexField(" 1f "), 0x1Fu);
    EXPECT_EQ(parseHexField("0x0FFFFFFF"), 0x0FFFFFFFu);
    EXPECT_EQ(parseHexField("FFFFFFFFFFFFFFFF"), ~uint64_t{0});
    for (const char* bad : {"0x", "12 34", "g", "-1", "1FFFFFFFFFFFFFFFF"}) EXPECT_FALSE(parseHexField(bad)) << bad;
}

TEST(EditorRanges, WorkOnTheChipOrTheImageNeverPastTheBuffer) {
    EXPECT_EQ(workingLength(0x200000, 0x1000, 0x10000000), 0x200000u);
    EXPECT_EQ(workingLength(0, 0x1000, 0x10000000), 0x1000u);
    EXPECT_EQ(workingLength(0x20000000, 0x1000, 0x10000000), 0x10000000u);

    // A 256 MiB buffer is shown to its last byte; To past it is its last byte.
    const uint64_t large = 0x10000000;
    EXPECT_EQ(displayRange(0x8000000, 0xFFFFFFFF, large).range, (DisplayRange{0x8000000, large - 1}));
    EXPECT_EQ(displayRange(0x100, 0x80, large).problem, kDisplayOrderProblem);
    EXPECT_FALSE(displayRange(0x100, 0x80, large).range);
    EXPECT_EQ(displayRange(0x10, 0x10, large).range->length(), 1u);
    EXPECT_FALSE(displayRange(0, 0, 0).range);

    // Fill: end inclusive, start below end, end inside the range.
    EXPECT_EQ(fillProblem(0x10, 0x1F, 0x100), "");
    EXPECT_EQ(fillProblem(0x10, 0x10, 0x100), kFillOrderProblem);
    EXPECT_EQ(fillProblem(0x20, 0x10, 0x100), kFillOrderProblem);
    EXPECT_EQ(fillProblem(0, 0xFF, 0x100), "");
    EXPECT_EQ(fillProblem(0, 0x100, 0x100), kFillEndProblem);

    // The last page stays whole near the end.
    EXPECT_EQ(rowToShow(0x35, 0x1000, 16), 0x30u);
    EXPECT_EQ(rowToShow(0xFFF, 0x1000, 16), 0x1000u - 256);
    EXPECT_EQ(rowToShow(0x5, 0x20, 16), 0u);
}

TEST(BufferCompare, NextDifferenceWalksEveryDifferenceInOrderAcrossWindows) {
    std::vector<uint8_t> buffer(3 * kCompareWindow + 100, 0xFF);
    std::vector<uint8_t> file = buffer;
    const std::vector<uint64_t> differ = {0, 1, kCompareWindow - 1, kCompareWindow, 2 * kCompareWindow + 7,
                                          3 * kCompareWindow + 99};
    for (uint64_t at : differ) file[at] = 0;
    std::vector<uint64_t> walked;
    for (auto at = nextDifference(buffer, file, 0); at; at = nextDifference(buffer, file, *at + 1)) walked.push_back(*at);
    EXPECT_EQ(walked, differ);
    EXPECT_EQ(countDifferences(buffer, file), differ.size());
    // Starting inside a window finds what follows in it, not what came before.
    EXPECT_EQ(nextDifference(buffer, file, 2), kCompareWindow - 1);
    EXPECT_EQ(nextDifference(buffer, file, buffer.size()), std::nullopt);

    // Up to the shorter of the two: what lies past the file's end is no difference.
    const std::span<const uint8_t> shortFile = std::span(file).first(kCompareWindow);
    EXPECT_EQ(countDifferences(buffer, shortFile), 3u);
    EXPECT_EQ(nextDifference(buffer, shortFile, kCompareWindow), std::nullopt);
    EXPECT_EQ(nextDifference(std::span(buffer).first(0), file, 0), std::nullopt);
}

TEST(BufferSwap, UnitsExchangeTheirHalvesAndTheSpanIsPaddedTo16) {
    auto bytes = iota(16);
    swapHalves(bytes, SwapUnit::Byte);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4), (std::vector<uint8_t>{1, 0, 3, 2}));
    bytes = iota(16);
    swapHalves(bytes, SwapUnit::Word);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4), (std::vector<uint8_t>{2, 3, 0, 1}));
    bytes = iota(16);
    swapHalves(bytes, SwapUnit::DWord);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8), (std::vector<uint8_t>{4, 5, 6, 7, 0, 1, 2, 3}));

    EXPECT_EQ(swappedLength(0), 0u);
    EXPECT_EQ(swappedLength(1), 16u);
    EXPECT_EQ(swappedLength(32), 32u);
    EXPECT_EQ(imageEndAfterSwap(3, SwapUnit::Byte), 4u);
    EXPECT_EQ(imageEndAfterSwap(3, SwapUnit::DWord), 8u);
    EXPECT_EQ(imageEndAfterSwap(16, SwapUnit::Word), 16u);
}

// A vm_mgr buffer holding `bytes` at its start, `size` bytes long, the rest 0xEE.
HostImageBuffer bufferWith(const std::vector<uint8_t>& bytes, uint64_t size) {
    HostImageBuffer buffer = HostImageBuffer::allocate(size, 0xEE);
    vm_write(buffer.handle(), bytes.data(), bytes.size());
    return buffer;
}

std::vector<uint8_t> contents(const HostImageBuffer& buffer, uint64_t length) {
    std::vector<uint8_t> bytes(length);
    vm_read(bytes.data(), buffer.handle(), length);
    return bytes;
}

TEST(EditorBuffer, EditsFillsAndSwapsLandInTheHostBufferAndGrowTheImage) {
    const auto image = iota(0x21);
    HostImageBuffer host = bufferWith(image, 0x100);
    EditorBuffer buffer(host.handle(), host.size(), 0x80, image.size());
    EXPECT_EQ(buffer.checksum(), sum(contents(host, 0x80)));

    ASSERT_TRUE(buffer.write(0x10, 0xAB));
    EXPECT_EQ(contents(host, 0x11).back(), 0xAB);
    EXPECT_EQ(buffer.checksum(), sum(contents(host, 0x80)));
    EXPECT_EQ(buffer.imageLength(), 0x21u);  // inside the image: it keeps its length
    EXPECT_FALSE(buffer.write(0x80, 1));     // past the working range: refused
    ASSERT_TRUE(buffer.write(0x40, 0x55));
    EXPECT_EQ(buffer.imageLength(), 0x41u);  // the edit is downloaded with the image

    EXPECT_EQ(buffer.fill(0x10, 0x1F, 0x00), "");
    const auto filled = contents(host, 0x21);
    EXPECT_EQ(std::count(filled.begin(), filled.end(), 0), 17);  // 16 filled, byte 0 was 0 already
    EXPECT_EQ(filled[0x0F], 0x0F);
    EXPECT_EQ(filled[0x20], 0x20);
    EXPECT_EQ(buffer.fill(0x70, 0x80, 0x11), kFillEndProblem);
    EXPECT_EQ(contents(host, 0x80)[0x70], 0xEE);  // a refused fill changes nothing
    EXPECT_EQ(buffer.fill(0x70, 0x7F, 0x11), "");
    EXPECT_EQ(buffer.imageLength(), 0x80u);
    EXPECT_EQ(buffer.checksum(), sum(contents(host, 0x80)));
}

TEST(EditorBuffer, SwapKeepsTheLastBytesOfAnOddRangeAndSavesTheGrownImage) {
    // Three bytes worked on in a larger buffer: the third byte moves past the range, not away.
    HostImageBuffer host = bufferWith({0xA0, 0xA1, 0xA2}, 0x40);
    EditorBuffer buffer(host.handle(), host.size(), 3, 3);
    ASSERT_TRUE(buffer.swap(SwapUnit::Byte));
    EXPECT_EQ(contents(host, 4), (std::vector<uint8_t>{0xA1, 0xA0, 0xEE, 0xA2}));
    EXPECT_EQ(buffer.imageLength(), 4u);
    EXPECT_EQ(buffer.checksum(), sum(contents(host, 3)));

    // The whole buffer is the range: past its end the padding is 0xFF and nothing is written.
    HostImageBuffer whole = bufferWith(iota(20), 20);
    EditorBuffer exact(whole.handle(), whole.size(), 20, 20);
    ASSERT_TRUE(exact.swap(SwapUnit::DWord));
    EXPECT_EQ(contents(whole, 20), (std::vector<uint8_t>{4, 5, 6, 7, 0, 1, 2, 3, 12, 13, 14, 15, 8, 9, 10, 11, 0xFF,
                                                         0xFF, 0xFF, 0xFF}));

    zel::test::TempDir folder;
    ASSERT_TRUE(buffer.save(folder.path() / "saved.bin"));
    std::ifstream saved(folder.path() / "saved.bin", std::ios::binary);
    EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(saved), {}), (std::vector<uint8_t>{0xA1, 0xA0, 0xEE, 0xA2}));
    EXPECT_FALSE(buffer.save(folder.path() / "missing" / "saved.bin"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "missing"));
}

TEST(EditorBuffer, NothingLoadedOrAFreedBufferChangesNothing) {
    EditorBuffer none;
    EXPECT_FALSE(none.loaded());
    EXPECT_FALSE(none.write(0, 1));
    EXPECT_FALSE(none.swap(SwapUnit::Byte));
    EXPECT_EQ(none.fill(0, 1, 0), kFillEndProblem);
    EXPECT_TRUE(none.bytes().empty());
    EditorBuffer stale(0x1234, 0x100, 0x100, 0x100);  // no such buffer
    EXPECT_FALSE(stale.loaded());
}

}  // namespace
}  // namespace zel::gui::editor
