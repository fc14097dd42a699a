// The control commands of a running simulator: one text line in, reply text out.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace zel::sim {

class Simulator;

// A command that cannot be carried out; its text goes back as "error: <text>".
class ControlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs one command line (without `stop`, which the session handles). Throws ControlError.
std::string runControlCommand(Simulator& simulator, const std::vector<std::string>& words);

// The list of commands for `zelsim --help` and the `help` command.
std::string controlCommandHelp();

std::vector<std::string> splitWords(const std::string& line);

}  // namespace zel::sim
