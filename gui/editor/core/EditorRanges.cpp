#include "EditorRanges.h"

#include <algorithm>

namespace zel::gui::editor {

uint64_t workingLength(uint64_t chipSize, uint64_t imageLength, uint64_t bufferSize) {
    return std::min(chipSize != 0 ? chipSize : imageLength, bufferSize);
}

DisplayChoice displayRange(uint64_t from, uint64_t to, uint64_t length) {
    if (length == 0) return {};
    const uint64_t last = length - 1;
    from = std::min(from, last);
    to = std::min(to, last);
    if (to < from) return {std::nullopt, kDisplayOrderProblem};
    return {DisplayRange{from, to}, {}};
}

std::string_view fillProblem(uint64_t start, uint64_t end, uint64_t length) {
    if (start >= end) return kFillOrderProblem;
    if (end >= length) return kFillEndProblem;
    return {};
}

uint64_t rowToShow(uint64_t address, uint64_t length, uint64_t pageRows) {
    const uint64_t rows = (length + 15) / 16;
    const uint64_t row = address / 16;
    const uint64_t lastTop = rows > pageRows ? rows - pageRows : 0;
    return std::min(row, lastTop) * 16;
}

}  // namespace zel::gui::editor
