// The host buffer as the buffer editor changes it. Reads go straight to the buffer's memory (a
// vm_mgr ReadView), so a 256 MiB buffer opens at once and a page costs only its own bytes; writes
// go through vm_write, bounds-checked.
//
// The image length is what a download sends. Bytes the editor changes past it would otherwise
// never reach the emulator, so every change past the image's end grows it to cover the change.
//
// Threads: one thread at a time; the editor uses it on the user-interface thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

#include "BufferSwap.h"
#include "vm_view.h"

namespace zel::gui::editor {

class EditorBuffer {
public:
    EditorBuffer() = default;  // nothing loaded
    // `length` bytes of the buffer at `handle` (at most bufferSize) are worked on.
    EditorBuffer(vm_ptr_t handle, uint64_t bufferSize, uint64_t length, uint64_t imageLength);

    bool loaded() const { return length_ > 0; }
    uint64_t length() const { return length_; }
    uint64_t imageLength() const { return imageLength_; }
    // The working range, read in place; valid while this object lives.
    std::span<const uint8_t> bytes() const;
    // The 32-bit sum of the working range's bytes.
    uint32_t checksum() const { return checksum_; }

    bool write(uint64_t offset, uint8_t value);
    // Sets start..end (inclusive); the problem text when the range is refused, nothing changed.
    std::string_view fill(uint64_t start, uint64_t end, uint8_t value);
    bool swap(SwapUnit unit);
    // Writes the image (imageLength bytes) in the format of the file's extension; false when the
    // file could not be opened, written whole or closed (no partial file is left).
    bool save(const std::filesystem::path& file) const;

private:
    bool writeRange(uint64_t offset, std::span<const uint8_t> bytes);
    void cover(uint64_t end);
    void recount();

    vm_ptr_t handle_ = 0;
    uint64_t bufferSize_ = 0;
    uint64_t length_ = 0;
    uint64_t imageLength_ = 0;
    uint32_t checksum_ = 0;
    vm::ReadView view_;  // the whole buffer
};

}  // namespace zel::gui::editor
