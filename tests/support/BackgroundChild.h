// A child process that runs beside the test: the test writes to its input, reads its output as it
// comes, signals it and reaps it. A child still running when the object goes is killed.
#pragma once

#include "ChildProcess.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace zel::test {

class BackgroundChild {
public:
    // Runs body in a forked copy of this process, reading `input` and writing `output`; its return
    // value is the exit status.
    explicit BackgroundChild(const std::function<int(int input, int output)>& body);
    // Runs a program with this process's environment; standard output and error are the output.
    explicit BackgroundChild(const std::vector<std::string>& argv);
    ~BackgroundChild();
    BackgroundChild(const BackgroundChild&) = delete;
    BackgroundChild& operator=(const BackgroundChild&) = delete;

    void send(std::string_view text) const;
    // The next output line without its line feed; nullopt when none comes within the limit.
    std::optional<std::string> readLine(std::chrono::milliseconds limit = std::chrono::seconds(10));
    // Reads output until it holds `text`; false when it does not within the limit.
    bool waitFor(std::string_view text, std::chrono::milliseconds limit = std::chrono::seconds(10));
    const std::string& output() const { return output_; }

    void signal(int number) const;
    // Reaps the child, killing it after the limit, with the output it has not read yet.
    ChildResult finish(std::chrono::milliseconds limit = std::chrono::seconds(10));

private:
    void start(const std::function<void(int input, int output)>& run);
    bool readMore(std::chrono::milliseconds limit);

    pid_t pid_ = -1;
    int input_ = -1;
    int output_fd_ = -1;
    std::string output_;
    size_t consumed_ = 0;  // bytes of output_ that readLine has given out
};

}  // namespace zel::test
