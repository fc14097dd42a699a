#include "SimProcess.h"

#include "simwire/SimProtocol.h"
#include "simwire/SocketIo.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zel::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kStartTime = std::chrono::seconds(10);
constexpr auto kStopTime = std::chrono::seconds(5);
constexpr const char* kOutputFile = "zelsim.out";

std::filesystem::path makeTempDir() {
    auto base = std::filesystem::temp_directory_path() / "zelsim-test-XXXXXX";
    std::string pattern = base.string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error(std::string("mkdtemp: ") + std::strerror(errno));
    return pattern;
}

// Sends one control line and reads the whole reply; false when nobody answers in time.
bool exchange(const std::filesystem::path& dir, const std::string& line, std::string& reply,
              std::chrono::milliseconds timeout) {
    int fd = simwire::connectUnix(dir / simwire::kControlSocketName);
    if (fd < 0) return false;
    const auto deadline = Clock::now() + timeout;
    const std::string request = line + "\n";
    bool ok = simwire::writeAll(fd, std::as_bytes(std::span(request)), deadline) == simwire::IoResult::Ok;
    ::shutdown(fd, SHUT_WR);
    reply.clear();
    char c[4096];
    while (ok) {
        auto r = simwire::readAll(fd, std::as_writable_bytes(std::span(c, 1)), deadline);
        if (r == simwire::IoResult::Closed) break;
        if (r != simwire::IoResult::Ok) {
            ok = false;
            break;
        }
        reply.push_back(c[0]);
        auto more = ::recv(fd, c, sizeof c, MSG_DONTWAIT);
        if (more > 0) reply.append(c, static_cast<size_t>(more));
    }
    ::close(fd);
    return ok;
}

uint8_t hexNibble(char c) {
    if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
    throw std::runtime_error(std::string("bad hex digit in transfer log: ") + c);
}

std::vector<uint8_t> fromHex(const std::string& text) {
    if (text.size() % 2) throw std::runtime_error("odd hex length in transfer log: " + text);
    std::vector<uint8_t> bytes(text.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(hexNibble(text[2 * i]) << 4 | hexNibble(text[2 * i + 1]));
    return bytes;
}

// "key=value" → value, checking the key.
std::string field(std::istringstream& in, const std::string& key, const std::string& line) {
    std::string word;
    if (!(in >> word) || word.rfind(key + "=", 0) != 0)
        throw std::runtime_error("transfer log line lacks " + key + ": " + line);
    return word.substr(key.size() + 1);
}

void readData(std::istringstream& in, SimLogEntry& entry, const std::string& line) {
    std::string word;
    if (!(in >> word)) {
        // No data word at all: nothing moved.
        entry.whole = true;
        return;
    }
    if (word.rfind("data=", 0) == 0) {
        entry.whole = true;
        entry.data = fromHex(word.substr(5));
        return;
    }
    if (word.rfind("head=", 0) != 0) throw std::runtime_error("transfer log line has no data: " + line);
    entry.whole = false;
    entry.data = fromHex(word.substr(5));
    entry.hash = std::stoull(field(in, "hash", line), nullptr, 16);
}

}  // namespace

SimLogEntry parseSimLogLine(const std::string& line) {
    std::istringstream in(line);
    SimLogEntry entry;
    entry.kind = SimLogEntry::Kind::Note;
    std::string kind;
    if (!(in >> entry.seq >> kind)) throw std::runtime_error("bad transfer log line: " + line);
    if (kind == "NOTE") {
        entry.kind = SimLogEntry::Kind::Note;
        std::getline(in >> std::ws, entry.text);
        return entry;
    }
    if (kind == "OUT" || kind == "IN") {
        entry.kind = kind == "OUT" ? SimLogEntry::Kind::Out : SimLogEntry::Kind::In;
        entry.endpoint = static_cast<uint8_t>(std::stoul(field(in, "ep", line), nullptr, 16));
        if (entry.kind == SimLogEntry::Kind::In) entry.requested = std::stoull(field(in, "req", line));
    } else if (kind == "CTRL") {
        entry.kind = SimLogEntry::Kind::Control;
        auto setup = fromHex(field(in, "setup", line));
        if (setup.size() != 8) throw std::runtime_error("bad setup in transfer log: " + line);
        std::copy(setup.begin(), setup.end(), entry.setup.begin());
    } else {
        throw std::runtime_error("unknown transfer log entry: " + line);
    }
    entry.length = std::stoull(field(in, "len", line));
    if (!(in >> entry.status)) throw std::runtime_error("transfer log line lacks a status: " + line);
    readData(in, entry, line);
    return entry;
}

SimProcess::SimProcess(std::vector<std::string> devices, std::vector<std::string> options) : dir_(makeTempDir()) {
    std::vector<std::string> args = {zelsimPath().string(), "start", "--dir", dir_.string(), "--foreground"};
    args.insert(args.end(), options.begin(), options.end());
    for (auto& profile : devices) {
        args.push_back("--device");
        args.push_back(std::move(profile));
    }
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto outputPath = (dir_ / kOutputFile).string();
    const pid_t parent = ::getpid();

    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (pid_ == 0) {
        // The simulator ends with the test process, even when the test crashes.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(127);
        int out = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    try {
        waitUntilReady();
    } catch (...) {
        stopAndReap();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        throw;
    }
}

SimProcess::~SimProcess() {
    stopAndReap();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::string SimProcess::startupOutput() const {
    std::ifstream in(dir_ / kOutputFile);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void SimProcess::waitUntilReady() {
    const auto deadline = Clock::now() + kStartTime;
    std::string reply;
    while (Clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            throw std::runtime_error("zelsim exited at start: " + startupOutput());
        }
        // The control socket is bound last: once it answers, every device endpoint does.
        if (exchange(dir_, "status", reply, std::chrono::seconds(2)) && reply.rfind("error: ", 0) != 0) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    throw std::runtime_error("zelsim did not come up within 10 s: " + startupOutput());
}

void SimProcess::stopAndReap() noexcept {
    if (pid_ <= 0) return;
    std::string reply;
    exchange(dir_, "stop", reply, kStopTime);
    const auto deadline = Clock::now() + kStopTime;
    for (;;) {
        int status = 0;
        pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_ || (r < 0 && errno != EINTR)) break;
        if (Clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid_ = -1;
}

void SimProcess::exportEnvironment(std::chrono::milliseconds transferTimeout) const {
    ::setenv("ZELMOR_SIM", dir_.c_str(), 1);
    ::setenv("ZELMOR_SIM_TIMEOUT_MS", std::to_string(transferTimeout.count()).c_str(), 1);
}

std::string SimProcess::control(const std::string& command) const {
    std::string reply;
    if (!exchange(dir_, command, reply, std::chrono::seconds(60)))
        throw std::runtime_error("zelsim does not answer `" + command + "`");
    if (reply.rfind("error: ", 0) == 0) throw std::runtime_error("zelsim `" + command + "`: " + reply);
    return reply;
}

std::vector<SimLogEntry> SimProcess::log(int device) const {
    std::istringstream in(control("log " + std::to_string(device)));
    std::vector<SimLogEntry> entries;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) entries.push_back(parseSimLogLine(line));
    return entries;
}

void SimProcess::clearLog(int device) const { control("clear-log " + std::to_string(device)); }

std::vector<std::vector<uint8_t>> SimProcess::commandFrames(int device) const {
    std::vector<std::vector<uint8_t>> frames;
    for (auto& e : log(device))
        if (e.kind == SimLogEntry::Kind::Out && e.endpoint == 0x01 && e.length == 16) frames.push_back(std::move(e.data));
    return frames;
}

uint16_t SimProcess::reg(int device, uint8_t reg) const {
    char command[32];
    std::snprintf(command, sizeof command, "reg %d 0x%02x", device, reg);
    return static_cast<uint16_t>(std::stoul(control(command), nullptr, 16));
}

std::filesystem::path SimProcess::zelsimPath() { return ZELSIM_PATH; }

}  // namespace zel::test
