// The terminal's decoding and rows without a device: a target stream of mixed messages (text
// lines, 249-byte hex blocks, check points, time stamps, look-ups) fed in 512-byte uFIFO blocks,
// as MB/s against the 2 MB/s a target can send; then the memory of 1 M log rows.
//   bench_terminal_core [MEGABYTES]
#include "terminal/TerminalDecoder.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace zel::terminal;
using Clock = std::chrono::steady_clock;

void addMessage(std::vector<uint8_t>& stream, uint8_t type, const std::vector<uint8_t>& payload) {
    stream.insert(stream.end(), {0x40, 0x44, 0x36, 0x47, type, static_cast<uint8_t>(payload.size())});
    stream.insert(stream.end(), payload.begin(), payload.end());
}

std::vector<uint8_t> targetStream(size_t bytes) {
    std::vector<uint8_t> stream;
    std::vector<uint8_t> hex(249);
    for (size_t k = 0; k < hex.size(); ++k) hex[k] = static_cast<uint8_t>(k);
    for (uint32_t n = 0; stream.size() < bytes; ++n) {
        const std::string line = "boot: step " + std::to_string(n) + " done\n";
        addMessage(stream, 5, {line.begin(), line.end()});
        if (n % 4 == 0) addMessage(stream, 4, hex);
        if (n % 8 == 0) addMessage(stream, 2, {0xA0, static_cast<uint8_t>(n)});
        if (n % 8 == 4) addMessage(stream, 6, {0x06, 0x42, 0x2C, static_cast<uint8_t>(n)});
        if (n % 16 == 8) addMessage(stream, 7, {0x12, 0x34, '4', '2'});
    }
    return stream;
}

long maxRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    const auto stream = targetStream(megabytes << 20);
    TerminalDecoder decoder;
    const auto begin = Clock::now();
    for (size_t at = 0; at < stream.size(); at += 512)
        decoder.feed(std::span(stream).subspan(at, std::min<size_t>(512, stream.size() - at)));
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    std::printf("| stream MB | messages | rows | seconds | MB/s decoded | times 2 MB/s |\n|---|---|---|---|---|---|\n");
    std::printf("| %.1f | %llu | %zu | %.3f | %.1f | %.0f |\n", stream.size() / 1e6,
                static_cast<unsigned long long>(decoder.messages()), decoder.log().rowCount(), seconds,
                stream.size() / 1e6 / seconds, stream.size() / 1e6 / seconds / 2);

    // 1 M rows of the stream's own mix, measured alone.
    decoder.clear();
    const long before = maxRssKiB();
    TerminalDecoder rows;
    for (size_t at = 0; rows.log().rowCount() < 1000000; at = (at + 512) % stream.size())
        rows.feed(std::span(stream).subspan(at, std::min<size_t>(512, stream.size() - at)));
    size_t text = 0;
    for (size_t row = 0; row < rows.log().rowCount(); ++row) text += rows.log().rowText(row).size();
    std::printf("\n| rows | text MiB | held MiB | peak RSS growth MiB |\n|---|---|---|---|\n");
    std::printf("| %zu | %.1f | %.1f | %.1f |\n", rows.log().rowCount(), text / 1048576.0,
                rows.log().memoryBytes() / 1048576.0, (maxRssKiB() - before) / 1024.0);
}
