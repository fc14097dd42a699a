// The in-process image buffer. Every byte a caller or the data path reads is 0xFF until written,
// but the preset is paid on first use: a run that never touches the buffer (a chip selection, or
// the 64 MiB buffer that the large one replaces) never faults its pages in.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

namespace zel::api {

class ImageBuffer {
public:
    static constexpr uint8_t kErased = 0xFF;

    // Reserves `size` bytes without touching them. Throws std::bad_alloc when they are not
    // available.
    explicit ImageBuffer(size_t size);
    ImageBuffer(const ImageBuffer&) = delete;
    ImageBuffer& operator=(const ImageBuffer&) = delete;

    size_t size() const { return size_; }
    // The bytes, every one preset to 0xFF on the first call. Threads may call it at once.
    std::span<uint8_t> bytes();
    // Every byte 0xFF again at the same address: at once when the bytes were handed out (a caller
    // may still read them), else at first use as for a fresh buffer.
    void erase();

private:
    struct Release {
        void operator()(uint8_t* bytes) const;
    };

    std::unique_ptr<uint8_t[], Release> storage_;
    size_t size_;
    std::atomic<bool> preset_{false};
    std::mutex presetting_;
};

}  // namespace zel::api
