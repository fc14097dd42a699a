#include "control/ControlSession.h"

#include "control/ControlCommands.h"
#include "server/Simulator.h"
#include "simwire/SocketIo.h"

#include <poll.h>
#include <sys/socket.h>

namespace zel::sim {
namespace {

constexpr size_t kMaxLine = 64 * 1024;
constexpr auto kReadTime = std::chrono::seconds(5);
constexpr auto kWriteTime = std::chrono::seconds(60);

// Reads up to the first line feed (or the end of the stream); empty on time-out.
std::string readLine(int fd) {
    std::string line;
    const auto deadline = simwire::Clock::now() + kReadTime;
    char c;
    while (line.size() < kMaxLine) {
        auto r = simwire::readAll(fd, std::as_writable_bytes(std::span(&c, 1)), deadline);
        if (r != simwire::IoResult::Ok || c == '\n') break;
        line.push_back(c);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace

void ControlSession::run() {
    const auto words = splitWords(readLine(fd_));
    std::string reply;
    if (words.empty()) {
        reply = "error: empty command\n";
    } else if (words[0] == "stop" && words.size() == 1) {
        simulator_.stop();
        reply = "stopped\n";
    } else {
        try {
            reply = runControlCommand(simulator_, words);
        } catch (const std::exception& e) {
            reply = std::string("error: ") + e.what() + "\n";
        }
    }
    simwire::writeAll(fd_, std::as_bytes(std::span(reply)), simwire::Clock::now() + kWriteTime);
    ::shutdown(fd_, SHUT_WR);
}

}  // namespace zel::sim
