// One connection to the control socket: reads a command line, replies, closes.
#pragma once

namespace zel::sim {

class Simulator;

class ControlSession {
public:
    ControlSession(Simulator& simulator, int fd) : simulator_(simulator), fd_(fd) {}
    void run();

private:
    Simulator& simulator_;
    int fd_;
};

}  // namespace zel::sim
