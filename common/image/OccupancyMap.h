// One bit per byte of an address window: which bytes a record already wrote. The bits are kept
// in 64 KiB-wide pieces made on first use, so a small file does not pay for the whole window.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace zel::image::detail {

class OccupancyMap {
public:
    explicit OccupancyMap(size_t size) : pieces_((size + kPieceBytes - 1) / kPieceBytes) {}

    // Marks [start, start + count) inside the window. False, with nothing marked, when any of
    // those bytes already was.
    bool claim(size_t start, size_t count);

private:
    static constexpr size_t kPieceBytes = size_t{1} << 16;
    using Piece = std::array<uint64_t, kPieceBytes / 64>;

    uint64_t& word(size_t index);
    template <class Visit>
    void forEachWord(size_t start, size_t count, Visit visit);

    std::vector<std::unique_ptr<Piece>> pieces_;
};

}  // namespace zel::image::detail
