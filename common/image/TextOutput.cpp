#include "image/TextOutput.h"

#include <algorithm>

namespace zel::image::detail {

FileTextOutput::FileTextOutput(const std::filesystem::path& path)
    : file_(fileio::RegularFile::createForWriting(path)), block_(std::make_unique_for_overwrite<char[]>(kBlockSize)) {
    data_ = block_.get();
    capacity_ = kBlockSize;
}

void FileTextOutput::makeRoom(size_t size) {
    // Records are far shorter than the block, so emptying the block always makes room.
    if (!failed_ && !file_.writeAll(data_, used_)) failed_ = true;
    used_ = 0;
    (void)size;
}

bool FileTextOutput::finish() {
    if (!failed_ && !file_.writeAll(data_, used_)) failed_ = true;
    used_ = 0;
    bool closed = file_.close();
    return !failed_ && closed;
}

void StringTextOutput::makeRoom(size_t size) {
    text_.resize(std::max(text_.size() * 2, used_ + size + 4096));
    data_ = text_.data();
    capacity_ = text_.size();
}

std::string StringTextOutput::take() {
    text_.resize(used_);
    used_ = capacity_ = 0;
    data_ = nullptr;
    return std::move(text_);
}

bool saveText(const std::filesystem::path& path, std::span<const uint8_t> bytes, TextEncoder encode) {
    FileTextOutput out(path);
    if (!out.isOpen()) return false;
    encode(bytes, out);
    if (out.finish()) return true;
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return false;
}

std::string encodeToString(std::span<const uint8_t> bytes, TextEncoder encode) {
    StringTextOutput out;
    encode(bytes, out);
    return out.take();
}

}  // namespace zel::image::detail
