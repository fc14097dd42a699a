// Where a device model reports what a strict reviewer of the host's traffic would object to
// (unknown opcodes, reserved bytes that are not zero, data phases of the wrong length).
#pragma once

#include <string>

namespace zel::sim {

class Findings {
public:
    virtual ~Findings() = default;
    virtual void flag(std::string text) = 0;
};

}  // namespace zel::sim
