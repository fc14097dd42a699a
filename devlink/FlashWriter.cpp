#include "FlashWriter.h"

#include "OnBoardFlashCommands.h"

#include <algorithm>

namespace zel::devlink {

uint64_t paddedImageSize(uint64_t size) { return size + kFlashPageSize - size % kFlashPageSize; }

std::vector<uint8_t> paddedImage(std::span<const uint8_t> image) {
    std::vector<uint8_t> padded(paddedImageSize(image.size()), 0xFF);
    std::ranges::copy(image, padded.begin());
    return padded;
}

bool FlashWriter::writeImage(uint32_t base, std::span<const uint8_t> image) {
    if (image.empty()) return false;
    const auto padded = paddedImage(image);
    if (!writePages(base, padded)) return false;
    std::vector<uint8_t> readBack(padded.size());
    if (!readPages(base, readBack)) return false;
    return std::ranges::equal(image, std::span(readBack).first(image.size()));
}

// A failed page ends the write: every further frame would only wait out its time-out on a
// device that has stopped answering, and the image fails either way.
bool FlashWriter::writePages(uint32_t base, std::span<const uint8_t> padded) {
    OnBoardFlashCommands flash(channel_);
    for (size_t offset = 0; offset < padded.size(); offset += kFlashPageSize) {
        auto page = padded.subspan(offset).first<kFlashPageSize>();
        if (!flash.writePage(base + static_cast<uint32_t>(offset), page)) return false;
        pageDone();
    }
    return true;
}

bool FlashWriter::readPages(uint32_t base, std::span<uint8_t> into) {
    OnBoardFlashCommands flash(channel_);
    for (size_t offset = 0; offset < into.size(); offset += kFlashPageSize) {
        auto page = into.subspan(offset).first<kFlashPageSize>();
        if (!flash.readPage(base + static_cast<uint32_t>(offset), page)) return false;
        pageDone();
    }
    return true;
}

void FlashWriter::pageDone() {
    if (progress_ != nullptr) progress_->advance(kFlashPageSize);
}

bool FlashWriter::writeBootMarker() {
    std::array<uint8_t, kFlashPageSize> page{};
    std::ranges::copy(kBootMarker, page.begin());
    OnBoardFlashCommands flash(channel_);
    if (!flash.writePage(kBootMarkerAddress, page)) return false;
    pageDone();
    std::array<uint8_t, kFlashPageSize> readBack{};
    if (!flash.readPage(kBootMarkerAddress, readBack)) return false;
    pageDone();
    return std::ranges::equal(kBootMarker, std::span(readBack).first<kBootMarker.size()>());
}

}  // namespace zel::devlink
