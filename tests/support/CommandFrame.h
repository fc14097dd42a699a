// The 16-byte command frame the device link sends on its OUT endpoint: the given leading bytes,
// zeros after them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace zel::test {

inline std::vector<uint8_t> commandFrame(std::initializer_list<uint8_t> head) {
    std::vector<uint8_t> frame(16, 0);
    std::copy(head.begin(), head.end(), frame.begin());
    return frame;
}

}  // namespace zel::test
