// What the text-image harnesses share: the input as a file, and the comparison of two reads.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "image/ReadResult.h"

namespace zel::image::fuzz {

// One in-memory file, reused for every input and opened through /proc/self/fd.
struct MemoryFile {
    int fd = memfd_create("fuzz_image", 0);
    std::filesystem::path path = "/proc/self/fd/" + std::to_string(fd);

    void fill(const uint8_t* data, size_t size) {
        if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    }
};

inline void expectSame(const ReadResult& a, const ReadResult& b) {
    if (a.ok() != b.ok()) std::abort();
    if (a.ok() ? a.image() != b.image()
               : a.error().line != b.error().line || a.error().failure != b.error().failure)
        std::abort();
}

}  // namespace zel::image::fuzz
