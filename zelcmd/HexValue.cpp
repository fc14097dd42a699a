#include "HexValue.h"

#include <limits>
#include <sstream>
#include <string>

namespace zel::cmd {

std::uint32_t parseHexValue(std::string_view text) {
    std::istringstream stream{std::string(text)};
    unsigned long long value = 0;
    stream >> std::hex >> value;
    if (stream.fail()) {
        // An overflowing number saturates as the stream does; anything else did not convert.
        return value == std::numeric_limits<unsigned long long>::max() ? std::numeric_limits<std::uint32_t>::max()
                                                                       : 0;
    }
    if (value > std::numeric_limits<std::uint32_t>::max()) return std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(value);
}

}  // namespace zel::cmd
