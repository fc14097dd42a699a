// The work image keeps storage only for the reached stretch of the window and grows it towards
// either end; whatever the order of the records, the result must equal a plain preset window.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "image/WorkImage.h"

namespace zel::image {
namespace {

// The obvious model: the whole window preset to 0xFF, cut from the lowest to the highest byte.
class PlainWindow {
public:
    explicit PlainWindow(size_t size) : bytes_(size, 0xFF) {}
    void store(size_t address, const std::vector<uint8_t>& data) {
        std::copy(data.begin(), data.end(), bytes_.begin() + address);
        lowest_ = std::min(lowest_, address);
        end_ = std::max(end_, address + data.size());
    }
    Image take() const { return lowest_ < end_ ? Image(bytes_.begin() + lowest_, bytes_.begin() + end_) : Image{}; }

private:
    Image bytes_;
    size_t lowest_ = SIZE_MAX;
    size_t end_ = 0;
};

enum class Order { Ascending, Descending, Random, HighThenLow };

void checkAgainstModel(size_t window, Order order, size_t records, unsigned seed, size_t expectedSize) {
    std::mt19937 generator(seed);
    std::vector<std::pair<size_t, std::vector<uint8_t>>> writes;
    for (size_t i = 0; i < records; ++i) {
        size_t count = 1 + generator() % 255;
        std::vector<uint8_t> data(count);
        for (auto& byte : data) byte = static_cast<uint8_t>(generator());
        size_t address = generator() % (window - count + 1);
        writes.emplace_back(address, std::move(data));
    }
    if (order == Order::Ascending || order == Order::Descending)
        std::sort(writes.begin(), writes.end(), [&](auto& a, auto& b) {
            return order == Order::Ascending ? a.first < b.first : a.first > b.first;
        });
    if (order == Order::HighThenLow) {
        writes.insert(writes.begin(), {window - 3, {1, 2, 3}});
        writes.push_back({0, {4}});
    }
    detail::WorkImage work(window, expectedSize);
    PlainWindow model(window);
    for (const auto& [address, data] : writes) {
        work.store(address, data.data(), data.size());
        model.store(address, data);
    }
    EXPECT_EQ(work.take(), model.take());
}

TEST(WorkImage, MatchesAPlainWindowWhateverTheRecordOrder) {
    for (Order order : {Order::Ascending, Order::Descending, Order::Random, Order::HighThenLow})
        for (size_t expected : {size_t{0}, size_t{100}, size_t{1} << 22}) {
            SCOPED_TRACE(static_cast<int>(order) * 10 + (expected > 0) + (expected > 100));
            checkAgainstModel(size_t{1} << 22, order, 300, 7 + static_cast<unsigned>(order), expected);
        }
}

TEST(WorkImage, DenseRecordsInAShortStretch) {
    // Many overlapping records within one 64 KiB step and just across it.
    for (unsigned seed = 0; seed < 20; ++seed) checkAgainstModel(0x20000, Order::Random, 50, seed, 0);
}

TEST(WorkImage, EdgesOfTheWindow) {
    detail::WorkImage work(0x1000000, 0);
    uint8_t last = 0x42;
    work.store(0xFFFFFF, &last, 1);
    EXPECT_EQ(work.take(), Image{0x42});

    detail::WorkImage both(0x400000, 0);
    uint8_t first = 0x24;
    both.store(0x3FFFFF, &last, 1);
    both.store(0, &first, 1);
    auto image = both.take();
    ASSERT_EQ(image.size(), 0x400000u);
    EXPECT_EQ(image.front(), 0x24);
    EXPECT_EQ(image.back(), 0x42);
    EXPECT_EQ(std::count(image.begin(), image.end(), 0xFF), 0x400000 - 2);

    EXPECT_TRUE(detail::WorkImage(0x400000, 0).take().empty());
}

}  // namespace
}  // namespace zel::image
