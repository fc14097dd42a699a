#include "ValueChangeDump.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace zel::traceexport {
namespace {

// Identifier codes of the channels, in sample bit order.
constexpr char kCodes[] = {'!', '"', '#', '$', '%', '&'};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string header(uint32_t gapCap) {
    std::string text = "$comment zeltrace export: SPI mode 0, clock synthesised at 50 MHz; pauses between transactions "
                       "longer than " +
                       std::to_string(gapCap) + " samples are shortened to it $end\n";
    text += "$timescale 10 ns $end\n$scope module spi $end\n";
    for (size_t i = 0; i < kChannelNames.size(); ++i)
        text += "$var wire 1 " + std::string(1, kCodes[i]) + " " + std::string(kChannelNames[i]) + " $end\n";
    text += "$upscope $end\n$enddefinitions $end\n";
    return text;
}

void changes(std::string& out, uint64_t time, uint8_t before, uint8_t now, bool all) {
    out += '#';
    out += std::to_string(time);
    out += '\n';
    for (size_t i = 0; i < kChannelNames.size(); ++i) {
        const uint8_t mask = static_cast<uint8_t>(1u << i);
        if (!all && ((before ^ now) & mask) == 0) continue;
        out += (now & mask) ? '1' : '0';
        out += kCodes[i];
        out += '\n';
    }
}

}  // namespace

ExportResult writeValueChangeDump(const std::filesystem::path& file, SampleStream& stream, uint32_t gapCap) {
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> out(std::fopen(file.c_str(), "wb"));
    auto failed = [&](const char* what) {
        return ExportResult{false, 0, "Error: cannot " + std::string(what) + " " + file.string() + ": " + std::strerror(errno)};
    };
    if (!out) return failed("open");
    std::string text = header(gapCap);
    std::vector<uint8_t> samples(1 << 16);
    uint64_t time = 0;
    uint8_t last = 0;
    for (size_t n; (n = stream.read(samples)) > 0;) {
        for (size_t i = 0; i < n; ++i, ++time) {
            if (time == 0 || samples[i] != last) changes(text, time, last, samples[i], time == 0);
            last = samples[i];
        }
        if (std::fwrite(text.data(), 1, text.size(), out.get()) != text.size()) return failed("write");
        text.clear();
    }
    text = "#" + std::to_string(time) + "\n";
    if (std::fwrite(text.data(), 1, text.size(), out.get()) != text.size()) return failed("write");
    if (std::fclose(out.release()) != 0) return failed("write");
    return {true, time, {}};
}

}  // namespace zel::traceexport
