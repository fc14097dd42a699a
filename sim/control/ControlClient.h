// The client side of the control socket, for `zelsim COMMAND` and the test helper.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace zel::sim {

struct ControlReply {
    bool answered = false;  // false: no simulator listens in the folder
    bool error = false;     // the reply starts with "error: "
    std::string text;
};

ControlReply sendControl(const std::filesystem::path& dir, const std::string& line,
                         std::chrono::milliseconds timeout = std::chrono::seconds(60));

}  // namespace zel::sim
