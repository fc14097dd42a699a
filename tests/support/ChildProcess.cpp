#include "ChildProcess.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zel::test {
namespace {

using Clock = std::chrono::steady_clock;

class Pipe {
public:
    Pipe() {
        if (::pipe2(fds_, O_CLOEXEC) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    }
    ~Pipe() {
        closeRead();
        closeWrite();
    }
    int read() const { return fds_[0]; }
    int write() const { return fds_[1]; }
    void closeRead() { closeOne(fds_[0]); }
    void adopt(int read, int write) {
        closeRead();
        closeWrite();
        fds_[0] = read;
        fds_[1] = write;
    }
    void closeWrite() { closeOne(fds_[1]); }

private:
    static void closeOne(int& fd) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    int fds_[2] = {-1, -1};
};

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (auto& text : texts) result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

// In the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void execChild(const ChildSpec& spec, char* const* argv, char* const* envp, int in, int out, int err,
                            pid_t parent) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ::signal(SIGPIPE, SIG_DFL);
    if (::getppid() != parent) ::_exit(127);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    if (!spec.workingDirectory.empty() && ::chdir(spec.workingDirectory.c_str()) != 0) ::_exit(126);
    ::execve(argv[0], argv, envp);
    ::_exit(127);
}

void setNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

// Reaps the child, killing it once the deadline has passed.
void reap(pid_t pid, Clock::time_point deadline, ChildResult& result) {
    int status = 0;
    if (result.timedOut) ::kill(pid, SIGKILL);
    for (;;) {
        pid_t r = ::waitpid(pid, &status, result.timedOut ? 0 : WNOHANG);
        if (r == pid) break;
        if (r < 0 && errno != EINTR) break;
        if (r == 0) {
            if (Clock::now() >= deadline) {
                result.timedOut = true;
                ::kill(pid, SIGKILL);
                continue;
            }
            ::usleep(2000);
        }
    }
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    if (result.timedOut) result.status = -1;
}

}  // namespace

ChildResult runChild(const ChildSpec& spec) {
    if (spec.argv.empty()) throw std::runtime_error("runChild: no program");
    std::vector<std::string> args = spec.argv;
    std::vector<std::string> environment = spec.environment;
    auto argv = pointers(args);
    auto envp = pointers(environment);

    // A child that ends without reading its input must not end the test with SIGPIPE.
    ::signal(SIGPIPE, SIG_IGN);
    Pipe input, output, error;
    if (spec.errorOnTerminal) {
        // The terminal's master end takes the place of the pipe's read end.
        int master = -1, slave = -1;
        if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
            throw std::runtime_error(std::string("openpty: ") + std::strerror(errno));
        ::fcntl(master, F_SETFD, FD_CLOEXEC);
        ::fcntl(slave, F_SETFD, FD_CLOEXEC);
        error.adopt(master, slave);
    }
    const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (devNull < 0) throw std::runtime_error("cannot open /dev/null");
    const int childIn = spec.input.kind == ChildInput::Kind::DevNull ? devNull : input.read();
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(devNull);
        throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    }
    if (pid == 0) execChild(spec, argv.data(), envp.data(), childIn, output.write(), error.write(), parent);
    ::close(devNull);
    input.closeRead();
    output.closeWrite();
    error.closeWrite();
    if (spec.input.kind == ChildInput::Kind::DevNull) input.closeWrite();
    setNonBlocking(input.write());
    setNonBlocking(output.read());
    setNonBlocking(error.read());

    ChildResult result;
    size_t written = 0;
    if (spec.input.kind == ChildInput::Kind::Text && spec.input.text.empty()) input.closeWrite();
    const auto deadline = Clock::now() + spec.timeout;
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            result.timedOut = true;
            break;
        }
        std::array<pollfd, 3> waits{pollfd{outOpen ? output.read() : -1, POLLIN, 0},
                                    pollfd{errOpen ? error.read() : -1, POLLIN, 0},
                                    pollfd{spec.input.kind == ChildInput::Kind::Text ? input.write() : -1, POLLOUT, 0}};
        int r = ::poll(waits.data(), waits.size(), static_cast<int>(std::min<long long>(left, 1000)));
        if (r < 0 && errno != EINTR) break;
        char buffer[65536];
        auto drain = [&](pollfd& p, bool& open, std::string& sink) {
            if (p.fd < 0 || p.revents == 0) return;
            ssize_t n = ::read(p.fd, buffer, sizeof buffer);
            if (n > 0) sink.append(buffer, static_cast<size_t>(n));
            else if (n == 0 || (errno != EAGAIN && errno != EINTR)) open = false;
        };
        drain(waits[0], outOpen, result.out);
        drain(waits[1], errOpen, result.err);
        if (waits[2].fd >= 0 && waits[2].revents != 0) {
            ssize_t n = ::write(input.write(), spec.input.text.data() + written, spec.input.text.size() - written);
            if (n > 0) written += static_cast<size_t>(n);
            // All written, or the child closed its end: end of input.
            if (written == spec.input.text.size() || (n < 0 && errno != EAGAIN && errno != EINTR))
                input.closeWrite();
        }
    }
    // Both outputs closed: the child has ended or closes them itself; a child that closed them and
    // goes on running is still bound by the time-out.
    reap(pid, deadline, result);
    return result;
}

ChildResult runInChild(const std::function<int()>& body, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::_exit(body());
    }
    ChildResult result;
    reap(pid, deadline, result);
    return result;
}

}  // namespace zel::test
