// The colour of each kind of terminal row (0xRRGGBB), as the settings hold them; the defaults
// tell the kinds apart on a light background.
#pragma once

#include "terminal/MessageText.h"

#include <array>
#include <cstdint>

namespace zel::terminal {

struct TextColours {
    // check point, hex, ASCII, time stamp, look-up, unknown (TextKind order)
    std::array<uint32_t, 6> rgb{0xC00000, 0x0000C0, 0x000000, 0x008000, 0x800080, 0x808080};
    uint32_t of(TextKind kind) const { return rgb[static_cast<size_t>(kind)]; }
};

}  // namespace zel::terminal
