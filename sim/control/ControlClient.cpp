#include "control/ControlClient.h"

#include "simwire/SimProtocol.h"
#include "simwire/SocketIo.h"

#include <sys/socket.h>
#include <unistd.h>

namespace zel::sim {

ControlReply sendControl(const std::filesystem::path& dir, const std::string& line, std::chrono::milliseconds timeout) {
    ControlReply reply;
    int fd = simwire::connectUnix(dir / simwire::kControlSocketName);
    if (fd < 0) return reply;
    const auto deadline = simwire::Clock::now() + timeout;
    const std::string request = line + "\n";
    if (simwire::writeAll(fd, std::as_bytes(std::span(request)), deadline) != simwire::IoResult::Ok) {
        ::close(fd);
        return reply;
    }
    ::shutdown(fd, SHUT_WR);
    char buffer[64 * 1024];
    for (;;) {
        // Read whatever arrives until the simulator closes the connection.
        auto r = simwire::readAll(fd, std::as_writable_bytes(std::span(buffer, 1)), deadline);
        if (r != simwire::IoResult::Ok) {
            reply.answered = r == simwire::IoResult::Closed;  // an empty reply is an answer too
            break;
        }
        reply.text.push_back(buffer[0]);
        auto more = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (more > 0) reply.text.append(buffer, static_cast<size_t>(more));
    }
    ::close(fd);
    reply.error = reply.text.rfind("error: ", 0) == 0;
    return reply;
}

}  // namespace zel::sim
