// S-record reader on arbitrary text: no crash and no out-of-bounds access; a loaded image fits
// the 4 MiB window; reading the text as a file in small blocks gives the same outcome as
// reading it from memory; a small loaded image comes back unchanged through the writer.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "image/ImageReader.h"
#include "image/ImageWriter.h"
#include "image/RecordReading.h"

namespace {

using namespace zel::image;

// One in-memory file, reused for every input and opened through /proc/self/fd.
struct MemoryFile {
    int fd = memfd_create("fuzz_image_srec", 0);
    std::filesystem::path path = "/proc/self/fd/" + std::to_string(fd);

    void fill(const uint8_t* data, size_t size) {
        if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    }
};

void expectSame(const ReadResult& a, const ReadResult& b) {
    if (a.ok() != b.ok()) std::abort();
    if (a.ok() ? a.image() != b.image()
               : a.error().line != b.error().line || a.error().failure != b.error().failure)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemoryFile file;
    std::string_view text(reinterpret_cast<const char*>(data), size);

    auto fromMemory = parseSRecord(text, "fuzz.s19");
    if (fromMemory && fromMemory.image().size() > kSRecordWindow) std::abort();

    file.fill(data, size);
    size_t blockSize = 1 + (size > 0 ? data[size - 1] % 64 : 0);
    expectSame(detail::readSRecordBlocks(file.path, blockSize), fromMemory);

    if (fromMemory && fromMemory.image().size() <= 4096) {
        auto again = parseSRecord(sRecordText(fromMemory.image()), "again.s19");
        if (!again || again.image() != fromMemory.image()) std::abort();
    }
    return 0;
}
