// zelsim: serves simulated emulators on Unix sockets (`start`) and sends control commands to a
// running simulator (every other command).
#include "app/StartCommand.h"
#include "app/StartOptions.h"
#include "control/ControlClient.h"
#include "control/ControlCommands.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace zel::sim;

void printUsage(std::ostream& out) {
    out << "usage: zelsim start --dir DIR [--foreground] [--time-scale F] [--strict] [--log-limit N]\n"
           "                    [--erase-ms MS] [--speed MBPS] [--serprog-base PORT]\n"
           "                    --device KEYS [--device KEYS ...]\n"
           "       zelsim [--dir DIR] COMMAND ARGS...   (DIR defaults to $ZELMOR_SIM)\n"
           "\n"
           "KEYS: comma-separated key=value: gen=1|2, pid=0x1235|0x1234, serial=N, hw=N,\n"
           "      fw=0xHHHHHHHH, flashid=0xHHHHHH, name=TEXT, blank=1, erase=MS,\n"
           "      speed=MBPS (bulk transfers paced to MBPS x 10^6 bytes/s; 0: as fast as possible),\n"
           "      serprog=PORT (0: any free port), serprog-slot=0|1\n"
           "\n"
           "Commands (N = device number in start order, from 0; numbers decimal or 0x hex):\n"
        << controlCommandHelp();
}

// Whether the process still runs (a zombie counts as ended).
bool processRuns(long pid) {
    if (pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) != 0) return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string skip, state;
    if (stat >> skip >> skip >> state) return state != "Z";
    return true;
}

// After `stop` answered, waits (bounded) until the simulator process has ended.
void awaitExit(long pid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (processRuns(pid) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

int runControl(const std::filesystem::path& dir, const std::vector<std::string>& words) {
    std::string line;
    for (const auto& w : words) line += (line.empty() ? "" : " ") + w;
    long pid = 0;
    if (words.size() == 1 && words[0] == "stop") std::ifstream(dir / "zelsim.pid") >> pid;
    auto reply = sendControl(dir, line);
    if (!reply.answered) {
        std::cerr << "zelsim: no simulator answers in " << dir.string() << "\n";
        return 2;
    }
    if (reply.error) {
        std::cerr << reply.text;
        return 1;
    }
    std::cout << reply.text;
    if (pid > 0) awaitExit(pid);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::filesystem::path dir;
    size_t i = 0;
    // Help wins wherever it stands, `zelsim start --help` included.
    for (const auto& arg : args)
        if (arg == "--help" || arg == "-h") {
            printUsage(std::cout);
            return 0;
        }
    for (; i < args.size(); ++i) {
        if (args[i] == "--version") {
            std::cout << "zelsim " << ZEL_VERSION << "\n";
            return 0;
        }
        if (args[i] == "--dir" && i + 1 < args.size()) {
            dir = args[++i];
            continue;
        }
        break;
    }
    if (i >= args.size()) {
        printUsage(std::cerr);
        return 2;
    }
    std::vector<std::string> words(args.begin() + static_cast<long>(i), args.end());
    if (words[0] == "start") {
        std::vector<std::string> startArgs(words.begin() + 1, words.end());
        if (!dir.empty()) startArgs.insert(startArgs.begin(), {"--dir", dir.string()});
        try {
            return runStart(parseStartOptions(startArgs));
        } catch (const std::exception& e) {
            std::cerr << "zelsim: " << e.what() << "\n";
            return 2;
        }
    }
    if (dir.empty()) {
        const char* env = std::getenv("ZELMOR_SIM");
        if (!env || !*env) {
            std::cerr << "zelsim: no simulator folder (--dir DIR or ZELMOR_SIM)\n";
            return 2;
        }
        dir = env;
    }
    return runControl(dir, words);
}
