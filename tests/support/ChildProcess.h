// Runs a program as a child process with a chosen standard input, both outputs captured apart and
// a hard time-out after which the child is killed.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace zel::test {

// What the child reads on standard input.
struct ChildInput {
    enum class Kind { DevNull, Text, OpenPipe } kind = Kind::DevNull;
    std::string text;

    static ChildInput devNull() { return {}; }
    // The text, then end of input.
    static ChildInput fromText(std::string text) { return {Kind::Text, std::move(text)}; }
    // A pipe that stays open and silent until the child ends: a read blocks rather than ending.
    static ChildInput keptOpen() { return {Kind::OpenPipe, {}}; }
};

struct ChildSpec {
    std::vector<std::string> argv;         // argv[0] is the program's path
    std::vector<std::string> environment;  // "NAME=value", the child's whole environment
    std::filesystem::path workingDirectory;  // empty: the caller's
    ChildInput input;
    std::chrono::milliseconds timeout{120'000};
    // Standard error is a pseudo-terminal (isatty holds); what the child writes there is `err`.
    bool errorOnTerminal = false;
};

struct ChildResult {
    int status = -1;       // exit status when the child exited
    int signal = 0;        // the signal that ended it, 0 when it exited
    bool timedOut = false; // killed at the time-out
    std::string out;
    std::string err;

    bool exited() const { return signal == 0 && !timedOut; }
};

// Throws std::runtime_error when the child cannot be started.
ChildResult runChild(const ChildSpec& spec);

// Runs body in a forked copy of this process and gives its return value as the exit status: a
// call that could block for good (a FIFO, a device) then fails a test at the time-out instead of
// hanging it. Outputs are not captured.
ChildResult runInChild(const std::function<int()>& body, std::chrono::milliseconds timeout);

}  // namespace zel::test
