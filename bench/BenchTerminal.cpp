// Hyper-terminal throughput through the API: the simulated target sends 255-byte terminal
// messages at a set rate; one thread moves uFIFO blocks into the receive queue with
// CliUploadFIFO while a reader drains it, one byte a call (CliReadSPIHTFromQueue) or a block a
// call (CliReadSPIHTQueueBlock). Prints one table row: the bytes the target sent and the reader
// got, whether every message arrived intact, and the reader's time per byte inside the drain
// calls. Run by bench/terminal.sh, which starts the simulator and sets the chip up.
//   bench_terminal ZELSIM SCRIPT MESSAGES_PER_SECOND SECONDS byte|block
#include "zelapi.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kMessage = 255;  // 6 header bytes and 249 payload bytes (sim/scripts/terminal255.zts)

// Payload byte k of every message is k (see the script).
bool intact(const std::vector<uint8_t>& bytes, size_t& messages)
{
    messages = bytes.size() / kMessage;
    if (bytes.size() % kMessage != 0)
        return false;
    for (size_t m = 0; m < messages; ++m) {
        const uint8_t* at = bytes.data() + m * kMessage;
        if (at[0] != 0x40 || at[1] != 0x44 || at[2] != 0x36 || at[3] != 0x47 || at[4] != 4 || at[5] != 249)
            return false;
        for (size_t k = 0; k < 249; ++k)
            if (at[6 + k] != static_cast<uint8_t>(k))
                return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: bench_terminal ZELSIM SCRIPT MESSAGES_PER_SECOND SECONDS byte|block\n");
        return 2;
    }
    const std::string zelsim = argv[1], script = argv[2], mode = argv[5];
    const long rate = std::atol(argv[3]), seconds = std::atol(argv[4]);
    const long messages = rate * seconds;
    CliInitialZelmorProDLL();
    CliSetSPIHTCommand(0xE5);

    std::atomic<bool> uploading{true};
    std::atomic<long> uploadFailures{0};
    std::thread upload([&] {
        while (uploading) {
            int ok = 0;
            CliUploadFIFO(&ok);
            uploadFailures += ok != 1;
        }
    });
    const std::string run = zelsim + " target-run 0 " + script + " " + std::to_string(rate) + " " + std::to_string(messages) + " >/dev/null";
    if (std::system(run.c_str()) != 0)
        return 1;

    std::vector<uint8_t> received;
    received.reserve(static_cast<size_t>(messages) * kMessage);
    std::vector<uint8_t> block(4096);
    Clock::duration inCalls{};
    const auto started = Clock::now();
    auto lastByte = started;
    while (Clock::now() - lastByte < std::chrono::seconds(1)) {
        const auto before = received.size();
        const auto t0 = Clock::now();
        if (mode == "byte") {
            while (!CliCheckSPIHyperTerminalQueueIsEmpty())
                received.push_back(CliReadSPIHTFromQueue(nullptr));
        } else {
            for (int n; (n = CliReadSPIHTQueueBlock(block.data(), static_cast<int>(block.size()))) > 0;)
                received.insert(received.end(), block.begin(), block.begin() + n);
        }
        const auto t1 = Clock::now();
        if (received.size() != before) {
            inCalls += t1 - t0;
            lastByte = t1;
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(500));  // the display thread's pace
        }
    }
    const double elapsed = std::chrono::duration<double>(lastByte - started).count();
    uploading = false;
    upload.join();
    size_t arrived = 0;
    const bool whole = intact(received, arrived);
    const double nsPerByte = received.empty() ? 0 : std::chrono::duration<double, std::nano>(inCalls).count() / received.size();
    std::printf("| %s | %.2f | %ld | %zu | %zu | %s | %.1f | %.2f | %ld |\n", mode.c_str(),
                static_cast<double>(messages * static_cast<long>(kMessage)) / seconds / 1e6, messages * static_cast<long>(kMessage),
                received.size(), arrived, whole && arrived == static_cast<size_t>(messages) ? "yes" : "no", nsPerByte,
                received.size() / elapsed / 1e6, uploadFailures.load());
    CliCloseUSBDevice();
    CliCloseZelmorProDLL();
    return 0;
}
