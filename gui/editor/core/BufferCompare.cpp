#include "BufferCompare.h"

#include <algorithm>
#include <cstring>

namespace zel::gui::editor {

std::optional<uint64_t> nextDifference(std::span<const uint8_t> buffer, std::span<const uint8_t> file, uint64_t from) {
    const uint64_t end = std::min(buffer.size(), file.size());
    uint64_t at = from;
    for (uint64_t window = from / kCompareWindow * kCompareWindow; window < end && at < end; window += kCompareWindow) {
        const uint64_t windowEnd = std::min(end, window + kCompareWindow);
        const size_t length = size_t(windowEnd - at);
        if (std::memcmp(buffer.data() + at, file.data() + at, length) != 0) {
            const auto [differs, unused] = std::mismatch(buffer.begin() + at, buffer.begin() + windowEnd, file.begin() + at);
            return uint64_t(differs - buffer.begin());
        }
        at = windowEnd;
    }
    return std::nullopt;
}

uint64_t countDifferences(std::span<const uint8_t> buffer, std::span<const uint8_t> file) {
    const uint64_t end = std::min(buffer.size(), file.size());
    uint64_t count = 0;
    for (uint64_t window = 0; window < end; window += kCompareWindow) {
        const size_t length = size_t(std::min(kCompareWindow, end - window));
        if (std::memcmp(buffer.data() + window, file.data() + window, length) == 0) continue;
        for (size_t i = 0; i < length; ++i) count += buffer[window + i] != file[window + i];
    }
    return count;
}

}  // namespace zel::gui::editor
