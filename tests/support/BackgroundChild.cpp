#include "BackgroundChild.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zel::test {
namespace {

using Clock = std::chrono::steady_clock;

std::array<int, 2> makePipe()
{
    std::array<int, 2> ends{};
    if (::pipe2(ends.data(), O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    return ends;
}

}  // namespace

BackgroundChild::BackgroundChild(const std::function<int(int input, int output)>& body)
{
    start([&body](int input, int output) { ::_exit(body(input, output)); });
}

BackgroundChild::BackgroundChild(const std::vector<std::string>& argv)
{
    // Built before the fork: the child only calls what is safe there.
    std::vector<std::string> words = argv;
    std::vector<char*> pointers;
    for (auto& word : words)
        pointers.push_back(word.data());
    pointers.push_back(nullptr);
    start([&pointers](int input, int output) {
        ::dup2(input, 0);
        ::dup2(output, 1);
        ::dup2(output, 2);
        ::execve(pointers[0], pointers.data(), environ);
        ::_exit(127);
    });
}

void BackgroundChild::start(const std::function<void(int input, int output)>& run)
{
    const auto toChild = makePipe();
    const auto fromChild = makePipe();
    ::signal(SIGPIPE, SIG_IGN);  // a child that ended must not end the test when it is written to
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ < 0)
        throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (pid_ == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        ::close(toChild[1]);
        ::close(fromChild[0]);
        run(toChild[0], fromChild[1]);
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    input_ = toChild[1];
    output_fd_ = fromChild[0];
}

BackgroundChild::~BackgroundChild()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ::close(input_);
    ::close(output_fd_);
}

void BackgroundChild::send(std::string_view text) const
{
    [[maybe_unused]] const auto written = ::write(input_, text.data(), text.size());
}

bool BackgroundChild::readMore(std::chrono::milliseconds limit)
{
    pollfd readable{output_fd_, POLLIN, 0};
    if (::poll(&readable, 1, static_cast<int>(limit.count())) <= 0)
        return false;
    char chunk[4096];
    const ssize_t got = ::read(output_fd_, chunk, sizeof chunk);
    if (got <= 0)
        return false;
    output_.append(chunk, static_cast<size_t>(got));
    return true;
}

std::optional<std::string> BackgroundChild::readLine(std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const auto end = output_.find('\n', consumed_);
        if (end != std::string::npos) {
            std::string line = output_.substr(consumed_, end - consumed_);
            consumed_ = end + 1;
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || !readMore(left))
            return std::nullopt;
    }
}

bool BackgroundChild::waitFor(std::string_view text, std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    while (output_.find(text) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || !readMore(left))
            return false;
    }
    return true;
}

void BackgroundChild::signal(int number) const
{
    if (pid_ > 0)
        ::kill(pid_, number);
}

ChildResult BackgroundChild::finish(std::chrono::milliseconds limit)
{
    ChildResult result;
    const auto deadline = Clock::now() + limit;
    int status = 0;
    while (pid_ > 0) {
        const pid_t reaped = ::waitpid(pid_, &status, WNOHANG);
        if (reaped == pid_ || (reaped < 0 && errno != EINTR))
            break;
        if (Clock::now() >= deadline && !result.timedOut) {
            result.timedOut = true;
            ::kill(pid_, SIGKILL);
        }
        if (!readMore(std::chrono::milliseconds(5)))
            ::usleep(2000);  // output closed already: do not spin
    }
    pid_ = -1;
    while (readMore(std::chrono::milliseconds(0))) {
    }
    if (WIFEXITED(status) && !result.timedOut)
        result.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    result.out = output_;
    return result;
}

}  // namespace zel::test
