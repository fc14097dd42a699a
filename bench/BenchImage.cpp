// Checksum and image-file throughput. The checksum is held against a plain loop compiled with
// -O3 -march=native (PlainSum.cpp); the readers on a 16 MiB Intel HEX and a 4 MiB S-record file.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <unistd.h>

#include "PlainSum.h"
#include "image/Checksum.h"
#include "image/ImageReader.h"
#include "image/ImageWriter.h"

namespace {

namespace fs = std::filesystem;
using zel::image::Image;

constexpr size_t kHexImage = size_t{16} << 20;
constexpr size_t kSRecordImage = size_t{4} << 20;

Image randomBytes(size_t size) {
    Image bytes(size);
    std::mt19937_64 generator(42);
    for (size_t i = 0; i + 8 <= size; i += 8) {
        uint64_t word = generator();
        std::memcpy(bytes.data() + i, &word, 8);
    }
    return bytes;
}

const Image& checksumInput() {
    static const Image bytes = randomBytes(size_t{64} << 20);
    return bytes;
}

// $TMPDIR when set, else memory (/dev/shm) so that the disk stays out of the timing.
fs::path scratchFolder() {
    if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir && *tmpdir) return tmpdir;
    fs::path shm = "/dev/shm";
    return fs::is_directory(shm) ? shm : fs::temp_directory_path();
}

// A file written once per run with our own writer and removed at exit.
struct ScratchFile {
    fs::path path;
    ScratchFile(const std::string& name, const Image& bytes) : path(scratchFolder() / name) {
        if (!zel::image::writeImage(bytes, path, zel::image::formatFromName(path))) std::abort();
    }
    ~ScratchFile() { fs::remove(path); }
};

void BM_ByteSumLibrary(benchmark::State& state) {
    const Image& bytes = checksumInput();
    for (auto _ : state) benchmark::DoNotOptimize(zel::image::byteSum(bytes));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ByteSumLibrary)->Unit(benchmark::kMillisecond);

void BM_ByteSumPlainNative(benchmark::State& state) {
    const Image& bytes = checksumInput();
    for (auto _ : state) benchmark::DoNotOptimize(plainByteSum(bytes.data(), bytes.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ByteSumPlainNative)->Unit(benchmark::kMillisecond);

void BM_ReadIntelHex16MiB(benchmark::State& state) {
    static const ScratchFile file("bench_image_" + std::to_string(getpid()) + ".hex",
                                  randomBytes(kHexImage));
    for (auto _ : state) {
        auto result = zel::image::readIntelHex(file.path);
        if (!result) state.SkipWithError(result.error().message.c_str());
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(file.path)));
}
BENCHMARK(BM_ReadIntelHex16MiB)->Unit(benchmark::kMillisecond);

void BM_ReadSRecord4MiB(benchmark::State& state) {
    static const ScratchFile file("bench_image_" + std::to_string(getpid()) + ".s19",
                                  randomBytes(kSRecordImage));
    for (auto _ : state) {
        auto result = zel::image::readSRecord(file.path);
        if (!result) state.SkipWithError(result.error().message.c_str());
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(file.path)));
}
BENCHMARK(BM_ReadSRecord4MiB)->Unit(benchmark::kMillisecond);

void BM_WriteIntelHex16MiB(benchmark::State& state) {
    static const Image bytes = randomBytes(kHexImage);
    fs::path path = scratchFolder() / ("bench_image_out_" + std::to_string(getpid()) + ".hex");
    for (auto _ : state)
        if (!zel::image::writeIntelHex(bytes, path)) state.SkipWithError("cannot write");
    fs::remove(path);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_WriteIntelHex16MiB)->Unit(benchmark::kMillisecond);

void BM_WriteSRecord4MiB(benchmark::State& state) {
    static const Image bytes = randomBytes(kSRecordImage);
    fs::path path = scratchFolder() / ("bench_image_out_" + std::to_string(getpid()) + ".s19");
    for (auto _ : state)
        if (!zel::image::writeSRecord(bytes, path)) state.SkipWithError("cannot write");
    fs::remove(path);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_WriteSRecord4MiB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
