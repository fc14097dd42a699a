// zelterm: the SPI hyper terminal on the command line (kUsage below says how).
#include "../DeviceChoice.h"
#include "../StopSignals.h"
#include "../ToolArguments.h"
#include "DeviceNumber.h"
#include "DeviceTerminal.h"
#include "MessageLine.h"
#include "terminal/MessageParser.h"
#include "zelapi.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>

namespace {

using namespace zel;
using Clock = std::chrono::steady_clock;

constexpr const char* kUsage =
    "Usage: zelterm [--device N | --serial S] [--opcode HEX | --page-program] [--lookup FILE]\n"
    "               [--checkpoints FILE [--translate]] [--hex-input] [--seconds S]\n"
    "The SPI hyper terminal: prints every message the target sends through the emulator, one a\n"
    "line (\"type T KIND: TEXT\"), and sends what arrives on standard input to the target's dFIFO.\n"
    "--opcode: the target uses this dedicated op-code; otherwise Normal/Fast Read, and with\n"
    "--page-program Page Program (0x02) too. --lookup and --checkpoints name the look-up and\n"
    "check-point tables; --translate adds check-point texts. --hex-input reads each input line as\n"
    "hex bytes (\"01 02 ab\"). Runs until Ctrl-C or SIGTERM, S seconds, or a USB error.\n"
    "Emulation is started when it is not running, and stopped again at the end.\n"
    "Exit status: 0 stopped on request, 1 the emulator or a table could not be used, a USB error\n"
    "ended the session, target bytes may have been lost or input was not all sent, 2 usage.\n";

volatile std::sig_atomic_t stopSignal = 0;
void onStop(int) { stopSignal = 1; }

struct Options {
    tools::DeviceChoice device;
    tools::TerminalOpcode opcode;
    std::string lookUp, checkPoints;
    bool translate = false, hexInput = false;
    std::optional<uint64_t> seconds;
};

std::optional<Options> parseOptions(tools::Arguments& args, std::string& problem) {
    Options options;
    options.device = tools::takeDeviceChoice(args);
    uint64_t value = 0;
    std::string text;
    if (args.take("--opcode", text)) {
        if (!tools::parseNumber(text.starts_with("0x") ? text : "0x" + text, 0xFF, value))
            args.refuse("--opcode takes a hex byte, not " + text);
        options.opcode.dedicated = static_cast<uint8_t>(value);
    }
    options.opcode.pageProgram = args.takeFlag("--page-program");
    if (options.opcode.dedicated && options.opcode.pageProgram)
        args.refuse("--opcode and --page-program exclude each other");
    args.take("--lookup", options.lookUp);
    args.take("--checkpoints", options.checkPoints);
    options.translate = args.takeFlag("--translate");
    options.hexInput = args.takeFlag("--hex-input");
    if (args.takeNumber("--seconds", 1, 86400 * 365, value)) options.seconds = value;
    if (auto wrong = args.problem({})) {
        problem = *wrong;
        return std::nullopt;
    }
    return options;
}

bool loadTable(const std::string& path, terminal::CodeTable& table) {
    if (path.empty()) return true;
    std::error_code error;
    auto loaded = terminal::CodeTable::load(path, error);
    if (!loaded) {
        std::fprintf(stderr, "zelterm: cannot read %s: %s\n", path.c_str(), error.message().c_str());
        return false;
    }
    table = std::move(*loaded);
    return true;
}

// The API open for the session; the emulators released and the API closed on every way out.
struct ApiScope {
    ApiScope() { CliInitialZelmorProDLL(); }
    ~ApiScope() {
        CliCloseUSBDevice();
        CliCloseZelmorProDLL();
    }
};

std::optional<int> chooseDevice(const tools::DeviceChoice& choice) {
    int index = CliGetUSBDevIndex();
    if (choice.given()) {
        const auto chosen = tools::findChosenEmulator(choice);
        if (!chosen) {
            std::fprintf(stderr, "zelterm: %s\n", chosen.problem().detail.c_str());
            return std::nullopt;
        }
        index = *chosen;
    }
    if (CliIsZelmorProUSBOpened(index) != 1) {
        char reason[256] = {};
        CliGetDeviceProblem(CliGetFoundDeviceCount() == 0 ? -1 : index, reason, sizeof reason);
        std::fprintf(stderr, "zelterm: emulator %d cannot be used%s%s\n", session::deviceNumber(index),
                     reason[0] ? ": " : "", reason);
        return std::nullopt;
    }
    return index;
}

// Standard input on its way to the target: raw bytes, or hex lines with --hex-input.
class Input {
public:
    explicit Input(bool hex) : hex_(hex) {}
    bool open() const { return open_; }
    // Waits up to `wait` for input; the bytes to send (empty when none, or a line was refused).
    std::vector<uint8_t> take(int waitMs) {
        pollfd in{STDIN_FILENO, POLLIN, 0};
        if (!open_ || ::poll(&in, 1, waitMs) <= 0) return {};
        char chunk[4096];
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got <= 0) {
            if (got == 0 || errno != EINTR) open_ = false;
            return {};
        }
        if (!hex_) return {chunk, chunk + got};
        return hexLines(std::string_view(chunk, static_cast<size_t>(got)));
    }
    bool refusedLine() const { return refused_; }

private:
    std::vector<uint8_t> hexLines(std::string_view text) {
        std::vector<uint8_t> bytes;
        pending_ += text;
        for (size_t end; (end = pending_.find('\n')) != std::string::npos; pending_.erase(0, end + 1)) {
            ++line_;
            std::string problem;
            if (auto parsed = terminal::parseHexBytes(std::string_view(pending_).substr(0, end), problem)) {
                bytes.insert(bytes.end(), parsed->begin(), parsed->end());
            } else {
                std::fprintf(stderr, "zelterm: input line %zu not sent: %s\n", line_, problem.c_str());
                refused_ = true;
            }
        }
        return bytes;
    }
    bool hex_;
    bool open_ = true;
    bool refused_ = false;
    std::string pending_;
    size_t line_ = 0;
};

// The session: messages out, input down, until a stop. True when it ended without a fault.
bool runSession(tools::DeviceTerminal& device, const Options& options, const terminal::Tables& tables) {
    terminal::MessageParser parser;
    Input input(options.hexInput);
    std::vector<uint8_t> buffer(64 * 1024);
    bool allSent = true;
    const auto until = options.seconds ? Clock::now() + std::chrono::seconds(*options.seconds) : Clock::time_point::max();
    auto print = [&](const terminal::Message& message) {
        const std::string line = tools::messageLine(message, terminal::renderMessage(message, tables));
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    };
    device.start();
    for (;;) {
        const bool failed = device.usbFailed();  // read before the last drain: nothing is left behind
        const auto bytes = device.drain(buffer);
        parser.feed(bytes, print);
        std::fflush(stdout);
        if (failed || stopSignal || Clock::now() >= until) break;
        const auto down = input.take(bytes.empty() ? 5 : 0);
        if (down.empty()) continue;
        const auto sent = device.send(down);
        if (!sent.complete()) {
            std::fprintf(stderr, "zelterm: %s: the target did not take the rest\n", terminal::describe(sent).c_str());
            allSent = false;
        }
    }
    device.stop();
    if (parser.skippedBytes() != 0)
        std::fprintf(stderr, "zelterm: %llu bytes outside messages skipped\n",
                     static_cast<unsigned long long>(parser.skippedBytes()));
    if (device.queueOverflowed())
        std::fprintf(stderr, "zelterm: the receive queue was full: some of the target's bytes may be lost\n");
    if (device.usbFailed()) {
        std::fprintf(stderr, "zelterm: USB Error: Stop SPI Hyper Terminal...\n");
        return false;
    }
    std::fprintf(stderr, "Stop SPI Hyper Terminal...\n");
    return allSent && !input.refusedLine() && !device.queueOverflowed();
}

}  // namespace

int main(int argc, char** argv) {
    tools::Arguments args(argc, argv);
    if (args.takeFlag("--help") || args.takeFlag("-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::string problem;
    const auto options = parseOptions(args, problem);
    if (!options) return tools::usageError("zelterm", problem, 2);
    terminal::Tables tables;
    tables.translateCheckPoints = options->translate;
    if (!loadTable(options->lookUp, tables.lookUp) || !loadTable(options->checkPoints, tables.checkPoints)) return 1;

    tools::onStopSignals(onStop);
    ApiScope api;
    const auto index = chooseDevice(options->device);
    if (!index) return 1;
    tools::DeviceTerminal device(*index, options->opcode);
    return runSession(device, *options, tables) ? 0 : 1;
}
