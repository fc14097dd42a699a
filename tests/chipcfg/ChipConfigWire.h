// The chip-configuration traffic a simulated emulator received, as short readable lines, so a
// test can compare the whole ordered stream of a download at once:
//   "reg 0x20 := 0x1234"  register write (0x23)
//   "level 2 := 3000"     level frame (0x11)
//   "read 0x2a"           register read (0x22)
//   "version"             firmware version read (0x10)
// Only frames the device accepted (status ok) are listed; any other opcode is listed by number.
#pragma once

#include "SimProcess.h"

#include <cstdio>
#include <string>
#include <vector>

namespace zel::chipcfg::test {

enum class WireView {
    Writes,    // register writes and level frames only
    Everything,
};

inline std::string describeFrame(const std::vector<uint8_t>& f) {
    char text[48];
    const unsigned value = unsigned(f[2]) << 8 | f[3];
    switch (f[0]) {
    case 0x23: std::snprintf(text, sizeof text, "reg 0x%02x := 0x%04x", f[1], value); break;
    case 0x11: std::snprintf(text, sizeof text, "level %u := %u", f[1], value); break;
    case 0x22: std::snprintf(text, sizeof text, "read 0x%02x", f[1]); break;
    case 0x10: std::snprintf(text, sizeof text, "version"); break;
    default: std::snprintf(text, sizeof text, "opcode 0x%02x", f[0]); break;
    }
    return text;
}

inline std::vector<std::string> wireOps(const zel::test::SimProcess& sim, int device,
                                        WireView view = WireView::Writes) {
    std::vector<std::string> ops;
    for (const auto& e : sim.log(device)) {
        if (e.kind != zel::test::SimLogEntry::Kind::Out || e.endpoint != 0x01 || e.length != 16) continue;
        if (e.status != "ok") continue;
        if (view == WireView::Writes && e.data[0] != 0x23 && e.data[0] != 0x11) continue;
        ops.push_back(describeFrame(e.data));
    }
    return ops;
}

inline std::string wireReg(unsigned r, unsigned v) {
    char text[32];
    std::snprintf(text, sizeof text, "reg 0x%02x := 0x%04x", r, v);
    return text;
}

inline std::string wireLevel(unsigned channel, unsigned v) {
    return "level " + std::to_string(channel) + " := " + std::to_string(v);
}

inline std::vector<std::string> defaultLevelOps() { return {wireLevel(2, 3000), wireLevel(3, 1000), wireLevel(4, 3300)}; }

// Joins groups of expected lines into one sequence.
inline std::vector<std::string> lines(std::initializer_list<std::vector<std::string>> groups) {
    std::vector<std::string> all;
    for (const auto& g : groups) all.insert(all.end(), g.begin(), g.end());
    return all;
}

}  // namespace zel::chipcfg::test
