// S-record reader on arbitrary text: no crash and no out-of-bounds access; a loaded image holds
// data and spans at most the largest text image; reading the text as a file in small blocks gives
// the same outcome as reading it from memory; a small loaded image comes back unchanged through
// the writer.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ImageFuzzSupport.h"
#include "image/ImageReader.h"
#include "image/ImageWriter.h"
#include "image/RecordReading.h"

using namespace zel::image;
using zel::image::fuzz::expectSame;
using zel::image::fuzz::MemoryFile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemoryFile file;
    std::string_view text(reinterpret_cast<const char*>(data), size);

    auto fromMemory = parseSRecord(text, "fuzz.s19");
    if (fromMemory && (fromMemory.image().empty() || fromMemory.image().size() > kLargestTextSpan)) std::abort();

    file.fill(data, size);
    size_t blockSize = 1 + (size > 0 ? data[size - 1] % 64 : 0);
    expectSame(detail::readSRecordBlocks(file.path, blockSize), fromMemory);

    if (fromMemory && fromMemory.image().size() <= 4096) {
        auto again = parseSRecord(sRecordText(fromMemory.image()), "again.s19");
        if (!again || again.image() != fromMemory.image()) std::abort();
    }
    return 0;
}
