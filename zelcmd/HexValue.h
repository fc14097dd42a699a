// --addr, --length and --fill: hexadecimal text read the way a stream in hex mode reads it
// ("0x" optional, so "100" is 0x100); text that does not convert gives 0.
#pragma once

#include <cstdint>
#include <string_view>

namespace zel::cmd {

std::uint32_t parseHexValue(std::string_view text);

}  // namespace zel::cmd
