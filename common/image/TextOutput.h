// Where the text encoders put their characters: a large block buffer in front of a file, or a
// string. Encoders reserve room for a whole record, write it in place and commit it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "fileio/RegularFile.h"

namespace zel::image::detail {

class TextOutput {
public:
    virtual ~TextOutput() = default;

    // Room for at least size more characters.
    char* reserve(size_t size) {
        if (capacity_ - used_ < size) makeRoom(size);
        return data_ + used_;
    }
    void commit(const char* end) { used_ = static_cast<size_t>(end - data_); }

protected:
    // Makes room for size characters and updates data_, used_ and capacity_.
    virtual void makeRoom(size_t size) = 0;

    char* data_ = nullptr;
    size_t used_ = 0;
    size_t capacity_ = 0;
};

class FileTextOutput final : public TextOutput {
public:
    static constexpr size_t kBlockSize = size_t{1} << 20;

    explicit FileTextOutput(const std::filesystem::path& path);
    bool isOpen() const { return file_.isOpen(); }
    // Writes what is left and closes; false if any write failed.
    bool finish();

private:
    void makeRoom(size_t size) override;

    fileio::RegularFile file_;
    std::unique_ptr<char[]> block_;
    bool failed_ = false;
};

class StringTextOutput final : public TextOutput {
public:
    std::string take();

private:
    void makeRoom(size_t size) override;

    std::string text_;
};

using TextEncoder = void (*)(std::span<const uint8_t> bytes, TextOutput& out);

// Encodes bytes into the file at path. A file that could not be written whole is removed; a
// path that names no regular file (a device, a FIFO) is refused and left alone.
bool saveText(const std::filesystem::path& path, std::span<const uint8_t> bytes, TextEncoder encode);
std::string encodeToString(std::span<const uint8_t> bytes, TextEncoder encode);

}  // namespace zel::image::detail
