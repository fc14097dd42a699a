// Op-codes a maker's flash chips answer themselves: a dedicated terminal op-code among them
// would be taken by the chip, so the settings refuse it for a chip of that maker. Makers are
// compared whole, without regard to case; a maker outside the table accepts every op-code.
#pragma once

#include <cstdint>
#include <string_view>

namespace zel::terminal {

inline constexpr const char* kOpcodeInUse = "This OP code is used by SPI flash.\nPlease select another one.";

bool opcodeUsedByMaker(std::string_view maker, uint8_t opcode);

}  // namespace zel::terminal
