// zelcapture: captures the current emulator's SPI trace (and, with --terminal, its hyper
// terminal) through the API for a while, then says what arrived (kUsage below says how).
#include "../ToolArguments.h"
#include "TraceTally.h"
#include "zelapi.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kBufferSize = 0x8000000;  // 128 MiB, reused as a ring
constexpr uint32_t kReadRoom = 0x10000;
constexpr auto kQuiet = std::chrono::milliseconds(500);

constexpr const char* kUsage =
    "Usage: zelcapture [--seconds S] [--opcodes K] [--reset] [--terminal] [--terminal-opcode OP] [--check-stream]\n"
    "Reads the current emulator's SPI trace through the API for S seconds (default 2) and until a\n"
    "read brings nothing new, then prints the records captured and the first K (default 8) opcodes.\n"
    "--reset empties the emulator's trace store first. --terminal also reads the hyper terminal and\n"
    "prints its messages; --terminal-opcode sets the op-code the target uses for it. --check-stream\n"
    "checks the sequence and read numbers of sim/scripts/stream.zts for gaps.\n"
    "Set ZELMOR_SIM to a simulator folder to capture from a simulated emulator.\n"
    "Exit status: 0 done, 1 a transfer failed or the stream has gaps, 2 usage.\n";

// The terminal messages in `bytes` (40 44 36 47, type, length, payload): text as text, the rest
// as hex, one line each.
void printMessages(const std::vector<uint8_t>& bytes) {
    for (size_t at = 0; at + 6 <= bytes.size();) {
        if (bytes[at] != 0x40 || bytes[at + 1] != 0x44 || bytes[at + 2] != 0x36 || bytes[at + 3] != 0x47) {
            ++at;  // not a header: skipped, as the terminal does
            continue;
        }
        const unsigned type = bytes[at + 4];
        const size_t length = std::min<size_t>(bytes[at + 5], bytes.size() - at - 6);
        std::printf("terminal message type %u: ", type);
        for (size_t i = 0; i < length; ++i) {
            const uint8_t b = bytes[at + 6 + i];
            if (type == 5) std::printf("%c", b);
            else std::printf("%02x", b);
        }
        std::printf("\n");
        at += 6 + length;
    }
}

}  // namespace

int main(int argc, char** argv) {
    zel::tools::Arguments args(argc, argv);
    if (args.takeFlag("--help") || args.takeFlag("-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    uint64_t seconds = 2, opcodes = 8;
    args.takeNumber("--seconds", 0, 86400, seconds);
    args.takeNumber("--opcodes", 0, 1000, opcodes);
    const bool terminal = args.takeFlag("--terminal");
    const bool checkStream = args.takeFlag("--check-stream");
    const bool reset = args.takeFlag("--reset");
    uint64_t terminalOpcode = 0;
    const bool setOpcode = args.takeNumber("--terminal-opcode", 0, 0xFF, terminalOpcode);
    if (auto problem = args.problem({}))
        return zel::tools::usageError("zelcapture", *problem, 2);
    CliInitialZelmorProDLL();
    if (reset)
        CliResetLogCounter();
    if (setOpcode)
        CliSetSPIHTCommand(static_cast<uint8_t>(terminalOpcode));
    std::printf("capturing\n");
    std::fflush(stdout);
    auto buffer = std::make_unique_for_overwrite<uint8_t[]>(kBufferSize);
    zel::tools::TraceTally tally(opcodes);
    std::vector<uint8_t> terminalBytes;
    uint32_t length = 0;
    bool failed = false;
    const auto until = Clock::now() + std::chrono::seconds(seconds);
    auto lastNew = Clock::now();
    for (;;) {
        if (length > kBufferSize - kReadRoom) length = 0;
        const uint32_t before = length;
        int result = 0;
        CliGetSPITraceData(&result, buffer.get(), &length);
        tally.add({buffer.get() + before, length - before});
        if (terminal) {
            int ok = 0;
            CliUploadFIFO(&ok);
            std::vector<uint8_t> block(512);
            for (int n; (n = CliReadSPIHTQueueBlock(block.data(), 512)) > 0;)
                terminalBytes.insert(terminalBytes.end(), block.begin(), block.begin() + n);
            failed |= ok != 1;
        }
        if (result != 1) {
            failed = true;
            break;
        }
        const auto now = Clock::now();
        if (length != before)
            lastNew = now;
        else if (now >= until && now - lastNew >= kQuiet)
            break;
    }
    std::printf("records captured: %llu (%llu transactions)\n", static_cast<unsigned long long>(tally.records()),
                static_cast<unsigned long long>(tally.transactions()));
    std::printf("first opcodes:");
    for (auto opcode : tally.firstOpcodes()) std::printf(" %02x", opcode);
    std::printf("\n");
    if (terminal) printMessages(terminalBytes);
    if (checkStream) {
        std::printf("stream: last number %lld, sequence gaps %llu, number gaps %llu\n",
                    tally.lastNumber() ? static_cast<long long>(*tally.lastNumber()) : -1LL,
                    static_cast<unsigned long long>(tally.sequenceGaps()),
                    static_cast<unsigned long long>(tally.numberGaps()));
        failed |= tally.sequenceGaps() != 0 || tally.numberGaps() != 0;
    }
    if (failed) std::fprintf(stderr, "zelcapture: a transfer failed or the stream has gaps\n");
    CliCloseUSBDevice();
    CliCloseZelmorProDLL();
    return failed ? 1 : 0;
}
