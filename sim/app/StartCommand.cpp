#include "app/StartCommand.h"

#include "server/Simulator.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <poll.h>
#include <string>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zel::sim {
namespace {

constexpr const char* kPidFile = "zelsim.pid";
constexpr const char* kDaemonLog = "zelsim.log";
constexpr int kStartWaitMs = 15000;

// Signals that stop the simulator arrive through a descriptor in its accept loop; blocked here
// before any thread starts, so every thread inherits the mask.
int stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&set, s);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return ::signalfd(-1, &set, SFD_CLOEXEC);
}

void writePidFile(const std::filesystem::path& dir) {
    std::ofstream(dir / kPidFile) << ::getpid() << "\n";
}

// Removes the pid file unless a newer simulator has written its own.
void removePidFile(const std::filesystem::path& dir) {
    std::ifstream in(dir / kPidFile);
    long pid = 0;
    if (in >> pid && pid == ::getpid()) std::filesystem::remove(dir / kPidFile);
}

// Serves until stopped; returns the exit status.
int serveAndExit(Simulator& simulator, int signalFd, const std::filesystem::path& dir) {
    const bool clean = simulator.serve(signalFd);
    removePidFile(dir);
    std::fflush(nullptr);
    // Connection threads that would not end still use the simulator: leave without destructors.
    if (!clean) ::_exit(0);
    return 0;
}

int runForeground(const SimOptions& options) {
    int signalFd = stopSignals();
    Simulator simulator(options);
    try {
        simulator.bind();
    } catch (const std::exception& e) {
        std::cerr << "zelsim: " << e.what() << "\n";
        return 1;
    }
    writePidFile(options.dir);
    for (const auto& line : simulator.startLines()) std::cout << line << "\n";
    std::cout.flush();
    return serveAndExit(simulator, signalFd, options.dir);
}

void writeText(int fd, const std::string& text) {
    [[maybe_unused]] auto n = ::write(fd, text.data(), text.size());
}

[[noreturn]] void runDaemon(const SimOptions& options, int readyFd) {
    ::setsid();
    int null = ::open("/dev/null", O_RDWR);
    int log = ::open((options.dir / kDaemonLog).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    ::dup2(null, 0);
    ::dup2(log >= 0 ? log : null, 1);
    ::dup2(log >= 0 ? log : null, 2);
    int signalFd = stopSignals();
    int status = 0;
    {
        Simulator simulator(options);
        try {
            simulator.bind();
        } catch (const std::exception& e) {
            writeText(readyFd, std::string("error: ") + e.what() + "\n");
            ::_exit(1);
        }
        writePidFile(options.dir);
        std::string ready = "ok\n";
        for (const auto& line : simulator.startLines()) ready += line + "\n";
        writeText(readyFd, ready);
        ::close(readyFd);
        status = serveAndExit(simulator, signalFd, options.dir);
    }
    std::exit(status);
}

// Reads what the daemon reports until it closes the pipe or the wait runs out.
std::string readReport(int fd) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartWaitMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        char buffer[4096];
        auto n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    return text;
}

int runDaemonised(const SimOptions& options) {
    std::error_code ec;
    std::filesystem::create_directories(options.dir, ec);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        std::perror("zelsim: pipe");
        return 1;
    }
    std::fflush(nullptr);
    pid_t child = ::fork();
    if (child < 0) {
        std::perror("zelsim: fork");
        return 1;
    }
    if (child == 0) {
        ::close(pipeFds[0]);
        runDaemon(options, pipeFds[1]);
    }
    ::close(pipeFds[1]);
    const std::string report = readReport(pipeFds[0]);
    ::close(pipeFds[0]);
    if (report.rfind("ok\n", 0) == 0) {
        std::cout << report.substr(3);
        return 0;
    }
    if (report.rfind("error: ", 0) == 0) {
        ::waitpid(child, nullptr, 0);
        std::cerr << "zelsim: " << report.substr(7);
        return 1;
    }
    std::cerr << "zelsim: the simulator did not start (see " << (options.dir / kDaemonLog).string() << ")\n";
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return 1;
}

}  // namespace

int runStart(const SimOptions& options) {
    return options.foreground ? runForeground(options) : runDaemonised(options);
}

}  // namespace zel::sim
