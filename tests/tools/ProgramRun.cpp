#include "ProgramRun.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>

namespace zel::test {
namespace {

std::vector<char*> argumentVector(const std::string& path, const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// Reads both pipes until each has ended or the deadline passed; false on the deadline.
bool collect(std::array<int, 2> fds, std::array<std::string*, 2> into, std::chrono::steady_clock::time_point deadline)
{
    std::array<pollfd, 2> ends{pollfd{fds[0], POLLIN, 0}, pollfd{fds[1], POLLIN, 0}};
    while (ends[0].fd >= 0 || ends[1].fd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        if (poll(ends.data(), ends.size(), static_cast<int>(left.count())) <= 0)
            continue;
        for (size_t i = 0; i < ends.size(); ++i) {
            if (ends[i].fd < 0 || ends[i].revents == 0)
                continue;
            std::array<char, 4096> chunk;
            const ssize_t got = read(ends[i].fd, chunk.data(), chunk.size());
            if (got <= 0)
                ends[i].fd = -1;  // end of this stream; poll skips negative descriptors
            else
                into[i]->append(chunk.data(), static_cast<size_t>(got));
        }
    }
    return true;
}

}  // namespace

ProgramResult runProgram(const std::string& path, const std::vector<std::string>& arguments,
                         std::chrono::milliseconds limit)
{
    ProgramResult result;
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return result;
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return result;
    }
    auto argv = argumentVector(path, arguments);
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        execv(path.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    const bool timedOut =
        child > 0 && !collect({out[0], err[0]}, {&result.output, &result.errors}, std::chrono::steady_clock::now() + limit);
    close(out[0]);
    close(err[0]);
    if (child < 0)
        return result;
    if (timedOut)
        kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    if (!timedOut && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    return result;
}

}  // namespace zel::test
