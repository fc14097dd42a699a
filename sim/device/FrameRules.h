// The command protocol's opcode table as the device sees it: which frame bytes carry
// parameters, which must be 0xFF, and how long a data phase the frame announces.
#pragma once

#include "device/Frame.h"

#include <cstdint>
#include <string>

namespace zel::sim {

struct FrameRule {
    uint8_t opcode;
    const char* name;
    uint16_t parameterBytes;  // bit i set: frame byte i carries a parameter
    uint16_t fillBytes;       // bit i set: frame byte i must be 0xFF
    uint64_t (*dataLength)(const Frame&);  // bytes that follow the frame; null: none
};

// Null for an opcode the protocol does not know.
const FrameRule* findFrameRule(uint8_t opcode);

// Frame bytes that break the rule ("byte 3 is 0x12, expected 0x00"); empty when none.
std::string reservedByteFindings(const Frame& frame, const FrameRule& rule);

}  // namespace zel::sim
