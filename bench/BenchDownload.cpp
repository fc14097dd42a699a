// Download throughput through the API against the simulator named by ZELMOR_SIM (device 0 must
// be an emulator of the current design): a keep-content aligned download of a whole 256 MiB chip
// from the in-process buffer and from a host buffer, beside the same bytes sent as one raw frame
// and bulk write on the transport, the aligned download again with a progress callback installed
// (the transfer then goes as commands of at most 4 MiB), and a fill-rule download of a 16 MiB
// image to the same chip.
// Runs alternate between the cases (the raw link and the API taking turns to go first) and the
// raw link sends the very bytes of the API's buffer, so drift and memory placement fall on both;
// the first download touches the simulator's memory and is not counted. Prints one table.
//   bench_download [--runs N]
#include "chipcfg/ChipConfigWriter.h"
#include "transport/SimTransport.h"
#include "zelapi.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kChipSize = 0x10000000;  // 256 MiB
constexpr uint32_t kImage16 = 0x1000000;    // 16 MiB

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "bench_download: %s\n", what.c_str());
    std::exit(1);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double best(const std::vector<double>& values)
{
    return *std::min_element(values.begin(), values.end());
}

double secondsOf(const std::function<void()>& run)
{
    const auto start = Clock::now();
    run();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The memory write exactly as the device link puts it on the wire, on a connection of its own.
class RawLink {
public:
    explicit RawLink(const std::filesystem::path& folder)
        : transport_(folder, zel::transport::Timeouts{std::chrono::seconds(120), std::chrono::seconds(10)})
    {
    }

    void write(uint32_t address, std::span<const uint8_t> data)
    {
        auto devices = transport_.enumerate(0x04B4, 0x1235);
        if (devices.empty() || !devices[0].handle)
            fail("the raw link cannot open device 0");
        auto& device = *devices[0].handle;
        uint8_t frame[16] = {0x40};
        for (int i = 0; i < 4; ++i) {
            frame[1 + i] = static_cast<uint8_t>(address >> (24 - 8 * i));
            frame[5 + i] = static_cast<uint8_t>(data.size() >> (24 - 8 * i));
        }
        double seconds = secondsOf([&] {
            if (!device.bulkOut(0x01, frame).complete(16) || !device.bulkOut(0x01, data).complete(data.size()))
                fail("raw write failed");
        });
        times.push_back(seconds);
    }

    std::vector<double> times;

private:
    zel::transport::SimTransport transport_;
};

void setChip(const std::filesystem::path& folder)
{
    zel::chipcfg::ChipConfigDescription chip;
    chip.vendor = L"Bench";
    chip.chipName = L"BENCH256M";
    chip.chipSize = kChipSize;
    chip.voltageMillivolts = 1800;
    const auto path = folder / "bench256m.cfg";
    if (!zel::chipcfg::saveChipConfig(path, chip).ok())
        fail("cannot write " + path.string());
    CliSetChipType(path.wstring().c_str(), false, 0);
}

void openApi()
{
    if (CliCheckUSBDeviceNum() < 1)
        fail("the API finds no emulator");
}

// What a front end's progress sink costs at least: a call per report, nothing cancelled.
std::atomic<uint64_t> progressReports{0};
int countReport(void*, int, int, uint64_t, uint64_t)
{
    progressReports.fetch_add(1, std::memory_order_relaxed);
    return 0;
}

uint8_t download(bool keep, uint32_t length)
{
    uint8_t result = 0xEE;
    CliDownloadDLLBufferToZelmorPro(keep, 0xFF, 0, length, 0, false, &result, true, 0);
    return result;
}

struct Row {
    const char* name;
    uint64_t bytes;  // bytes on the wire per run
    std::vector<double> times;
};

}  // namespace

int main(int argc, char** argv)
{
    int runs = 15;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(3, std::atoi(argv[++i]));
        else
            fail("usage: bench_download [--runs N]");
    }
    const char* sim = std::getenv("ZELMOR_SIM");
    if (sim == nullptr)
        fail("ZELMOR_SIM must name the simulator's folder");
    const std::filesystem::path folder = sim;

    CliInitialZelmorProDLL();
    CliDoSetZelmorProType(true, 0);
    openApi();
    setChip(folder);

    uint8_t* buffer = CliGetDLLBuffer();
    for (size_t i = 0; i < kChipSize; ++i)
        buffer[i] = static_cast<uint8_t>(i * 131 + (i >> 20));
    vm_ptr_t host = vm_alloc(kChipSize);
    if (host == 0 || vm_write(host, buffer, kChipSize) == 0)
        fail("no host buffer");

    // Touches every block of the simulator's slot; the memory stays allocated from here on.
    if (download(true, kChipSize) != 1)
        fail("the first download failed");

    RawLink raw(folder);
    Row api{"API keep-content, aligned", kChipSize, {}};
    Row apiHost{"API keep-content, host buffer", kChipSize, {}};
    Row withProgress{"API keep-content, progress", kChipSize, {}};
    std::vector<double> progressRatios;  // with the callback over without, per run
    Row fill{"API fill rule, 16 MiB image", kChipSize, {}};
    std::vector<double> ratios;  // API over raw, per run: drift of the machine cancels out
    const std::span<const uint8_t> sameBytes(buffer, kChipSize);
    auto rawRun = [&] {
        CliCloseUSBDevice();  // the raw link takes the device for its run
        raw.write(0, sameBytes);
        openApi();
    };
    auto apiRun = [&] {
        api.times.push_back(secondsOf([] {
            if (download(true, kChipSize) != 1)
                fail("API download failed");
        }));
    };
    for (int run = 0; run < runs; ++run) {
        if (run % 2 == 0) {
            rawRun();
            apiRun();
        } else {
            apiRun();
            rawRun();
        }
        ratios.push_back(api.times.back() / raw.times.back());
        CliSetProgressCallback(&countReport, nullptr);
        withProgress.times.push_back(secondsOf([] {
            if (download(true, kChipSize) != 1)
                fail("API download with progress failed");
        }));
        CliSetProgressCallback(nullptr, nullptr);
        progressRatios.push_back(withProgress.times.back() / api.times.back());
        apiHost.times.push_back(secondsOf([&] {
            uint8_t result = 0xEE;
            CliDownloadDLLBufferToZelmorPro_ptr(&host, true, 0xFF, 0, kChipSize, 0, false, &result, true, 0);
            if (result != 1)
                fail("API host-buffer download failed");
        }));
        fill.times.push_back(secondsOf([] {
            if (download(false, kImage16) != 1)
                fail("fill download failed");
        }));
    }
    uint8_t verified = 0xEE;
    download(true, kChipSize);
    CliZelmorProVerify(0, kChipSize, 0, &verified, true, 0);

    // Other work on the machine only ever adds time: the best run shows what a case costs, the
    // median what it cost here.
    const double rawMedian = median(raw.times);
    const double rawBest = best(raw.times);
    std::printf("\n256 MiB chip on the simulator, %d runs each, after one untimed download\n", runs);
    std::printf("%-32s %8s %10s %10s %10s %10s %10s\n", "case", "MiB sent", "best ms", "GB/s", "median ms", "GB/s",
                "vs raw");
    auto print = [&](const char* name, uint64_t bytes, const std::vector<double>& times) {
        const double m = median(times);
        const double b = best(times);
        std::printf("%-32s %8llu %10.1f %10.2f %10.1f %10.2f %+9.1f%%\n", name,
                    static_cast<unsigned long long>(bytes >> 20), b * 1e3, bytes / b / 1e9, m * 1e3, bytes / m / 1e9,
                    (b / rawBest - 1) * 100);
    };
    print("raw link (frame + bulk write)", kChipSize, raw.times);
    print(api.name, api.bytes, api.times);
    print(apiHost.name, apiHost.bytes, apiHost.times);
    print(withProgress.name, withProgress.bytes, withProgress.times);
    print(fill.name, fill.bytes, fill.times);
    const double overhead = (best(api.times) / rawBest - 1) * 100;
    const double rawRate = kChipSize / rawBest / 1e9;
    std::printf("\nAPI overhead over the raw link, best runs: %.1f %% (limit 5 %%): %s\n", overhead,
                overhead <= 5 ? "ok" : "OVER");
    std::printf("  median of the runs' ratios: %+.1f %%; median times: %+.1f %%\n", (median(ratios) - 1) * 100,
                (median(api.times) / rawMedian - 1) * 100);
    // The desktop program downloads from a host buffer: the same limit holds there.
    const double hostOverhead = (best(apiHost.times) / rawBest - 1) * 100;
    std::printf("host-buffer download over the raw link, best runs: %.1f %% (limit 5 %%): %s\n", hostOverhead,
                hostOverhead <= 5 ? "ok" : "OVER");
    const double progressCost = (median(progressRatios) - 1) * 100;
    std::printf("progress callback over none, median of the runs' ratios: %+.2f %% (limit 1 %%): %s; best runs: "
                "%+.2f %%; %.1f reports per download\n",
                progressCost, progressCost < 1 ? "ok" : "OVER", (best(withProgress.times) / best(api.times) - 1) * 100,
                static_cast<double>(progressReports.load()) / runs);
    std::printf("raw link, best run: %.2f GB/s (at least 1 GB/s): %s\n", rawRate, rawRate >= 1 ? "ok" : "UNDER");
    std::printf("verify of the last download: %s\n", verified == 1 ? "pass" : "FAIL");

    vm_free(host);
    CliCloseUSBDevice();
    CliCloseZelmorProDLL();
    return overhead <= 5 && hostOverhead <= 5 && rawRate >= 1 && verified == 1 ? 0 : 2;
}
