#include "EditorBuffer.h"

#include <algorithm>
#include <vector>

#include "EditorRanges.h"
#include "image/Checksum.h"
#include "image/ImageWriter.h"

namespace zel::gui::editor {
namespace {

// Fills and swaps stage their bytes through a piece this large, never a copy of the buffer.
constexpr uint64_t kPiece = 0x400000;  // 4 MiB, a multiple of every swap unit

}  // namespace

EditorBuffer::EditorBuffer(vm_ptr_t handle, uint64_t bufferSize, uint64_t length, uint64_t imageLength)
    : handle_(handle), view_(vm::ReadView::of(handle, bufferSize)) {
    if (!view_) return;
    bufferSize_ = bufferSize;
    length_ = std::min(length, bufferSize);
    imageLength_ = std::min(imageLength, bufferSize);
    recount();
}

std::span<const uint8_t> EditorBuffer::bytes() const { return view_.bytes().first(size_t(length_)); }

void EditorBuffer::recount() { checksum_ = image::byteSum(bytes()); }

void EditorBuffer::cover(uint64_t end) { imageLength_ = std::max(imageLength_, std::min(end, bufferSize_)); }

bool EditorBuffer::writeRange(uint64_t offset, std::span<const uint8_t> bytes) {
    return vm_write(handle_ + offset, bytes.data(), bytes.size()) != 0;
}

bool EditorBuffer::write(uint64_t offset, uint8_t value) {
    if (offset >= length_) return false;
    const uint8_t old = view_.bytes()[size_t(offset)];
    if (!writeRange(offset, std::span(&value, 1))) return false;
    checksum_ += uint32_t(value) - old;
    cover(offset + 1);
    return true;
}

std::string_view EditorBuffer::fill(uint64_t start, uint64_t end, uint8_t value) {
    if (const auto problem = fillProblem(start, end, length_); !problem.empty()) return problem;
    const std::vector<uint8_t> piece(size_t(std::min(kPiece, end - start + 1)), value);
    for (uint64_t at = start; at <= end;) {
        const uint64_t n = std::min<uint64_t>(piece.size(), end - at + 1);
        writeRange(at, std::span(piece).first(size_t(n)));
        at += n;
    }
    cover(end + 1);
    recount();
    return {};
}

bool EditorBuffer::swap(SwapUnit unit) {
    if (!loaded()) return false;
    const uint64_t total = swappedLength(length_);
    std::vector<uint8_t> piece;
    for (uint64_t at = 0; at < total; at += kPiece) {
        const uint64_t n = std::min(kPiece, total - at);
        piece.assign(size_t(n), kPaddingByte);
        const uint64_t inBuffer = at < bufferSize_ ? std::min(n, bufferSize_ - at) : 0;
        if (inBuffer == 0) break;
        std::copy_n(view_.bytes().begin() + at, inBuffer, piece.begin());
        swapHalves(piece, unit);
        if (!writeRange(at, std::span(piece).first(size_t(inBuffer)))) return false;
    }
    if (imageLength_ > 0) cover(imageEndAfterSwap(imageLength_, unit));
    recount();
    return true;
}

bool EditorBuffer::save(const std::filesystem::path& file) const {
    return image::writeImage(view_.bytes().first(size_t(imageLength_)), file, image::formatFromName(file));
}

}  // namespace zel::gui::editor
