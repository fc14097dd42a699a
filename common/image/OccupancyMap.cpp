#include "image/OccupancyMap.h"

#include <algorithm>

namespace zel::image::detail {

uint64_t& OccupancyMap::word(size_t index) {
    constexpr size_t kWordsPerPiece = kPieceBytes / 64;
    auto& piece = pieces_[index / kWordsPerPiece];
    if (!piece) piece = std::make_unique<Piece>();  // value-initialised: all clear
    return (*piece)[index % kWordsPerPiece];
}

template <class Visit>
void OccupancyMap::forEachWord(size_t start, size_t count, Visit visit) {
    size_t end = start + count;
    while (start < end) {
        size_t bit = start % 64;
        size_t bits = std::min<size_t>(64 - bit, end - start);
        uint64_t mask = (bits == 64 ? ~uint64_t{0} : ((uint64_t{1} << bits) - 1)) << bit;
        visit(word(start / 64), mask);
        start += bits;
    }
}

bool OccupancyMap::claim(size_t start, size_t count) {
    bool free = true;
    forEachWord(start, count, [&](uint64_t word, uint64_t mask) { free = free && (word & mask) == 0; });
    if (!free) return false;
    forEachWord(start, count, [](uint64_t& word, uint64_t mask) { word |= mask; });
    return true;
}

}  // namespace zel::image::detail
