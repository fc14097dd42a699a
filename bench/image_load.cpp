// Loads an image file the way the API does and writes the image as raw binary, so that its
// timing compares with a peer's "to binary" conversion. With --rss it reports, on standard
// output, how much the load added to the process's resident memory (peak and after).
//   image_load [--rss] INPUT [OUTPUT.bin]
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "image/Checksum.h"
#include "image/ImageReader.h"
#include "image/ImageWriter.h"

namespace {

// VmRSS / VmHWM of this process in KiB.
long statusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0 && line[length] == ':') return std::stol(line.substr(length + 1));
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    bool reportRss = argc > 1 && std::strcmp(argv[1], "--rss") == 0;
    int first = reportRss ? 2 : 1;
    if (argc - first < 1 || argc - first > 2) {
        std::fputs("usage: image_load [--rss] INPUT [OUTPUT.bin]\n", stderr);
        return 2;
    }
    long rssBefore = statusKiB("VmRSS");
    auto result = zel::image::readImage(std::filesystem::path(argv[first]),
                                        zel::image::formatFromName(std::string_view(argv[first])));
    if (!result) {
        std::fprintf(stderr, "%s\n", result.error().message.c_str());
        return 1;
    }
    const auto& image = result.image();
    if (reportRss) {
        std::printf("image %zu bytes, checksum %08X, rss growth %ld KiB (peak %ld KiB)\n", image.size(),
                    zel::image::byteSum(image), statusKiB("VmRSS") - rssBefore, statusKiB("VmHWM") - rssBefore);
    }
    if (argc - first == 2 && !zel::image::writeBinary(image, argv[first + 1])) {
        std::fprintf(stderr, "cannot write %s\n", argv[first + 1]);
        return 1;
    }
    return 0;
}
