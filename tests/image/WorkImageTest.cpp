// The work image keeps storage only for the reached stretch of the address space, grows it
// towards either end and refuses data that would widen the span beyond its limit; whatever the
// order of the records, the outcome must equal a plain map of the stored bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "image/WorkImage.h"

namespace zel::image {
namespace {

using detail::WorkImage;

// The obvious model: every stored byte by address, and the span rule on top.
class PlainModel {
public:
    explicit PlainModel(uint64_t limit) : limit_(limit) {}
    bool store(uint64_t address, const std::vector<uint8_t>& data) {
        uint64_t last = address + data.size() - 1;
        uint64_t low = bytes_.empty() ? address : std::min(bytes_.begin()->first, address);
        uint64_t high = bytes_.empty() ? last : std::max(bytes_.rbegin()->first, last);
        if (high - low + 1 > limit_) return false;
        for (size_t i = 0; i < data.size(); ++i) bytes_[address + i] = data[i];
        return true;
    }
    Image take() const {
        if (bytes_.empty()) return {};
        uint64_t low = bytes_.begin()->first;
        Image image(bytes_.rbegin()->first - low + 1, 0xFF);
        for (auto [address, byte] : bytes_) image[address - low] = byte;
        return image;
    }

private:
    uint64_t limit_;
    std::map<uint64_t, uint8_t> bytes_;
};

using Write = std::pair<uint64_t, std::vector<uint8_t>>;

// Records of 1 to 255 bytes inside [origin, origin + region).
std::vector<Write> randomWrites(uint64_t origin, uint64_t region, size_t records, unsigned seed) {
    std::mt19937 generator(seed);
    std::vector<Write> writes;
    for (size_t i = 0; i < records; ++i) {
        size_t count = 1 + generator() % std::min<uint64_t>(255, region);
        std::vector<uint8_t> data(count);
        for (auto& byte : data) byte = static_cast<uint8_t>(generator());
        writes.emplace_back(origin + generator() % (region - count + 1), std::move(data));
    }
    return writes;
}

// Feeds both; every store must be accepted or refused alike, and storage stays within the limit.
void checkAgainstModel(const std::vector<Write>& writes, uint64_t limit, size_t expectedSize) {
    WorkImage work(limit, expectedSize);
    PlainModel model(limit);
    for (const auto& [address, data] : writes) {
        ASSERT_EQ(work.store(address, data.data(), data.size()), model.store(address, data))
            << "at " << std::hex << address << " + " << data.size();
        ASSERT_LE(work.storage(), limit);
    }
    EXPECT_EQ(work.take(), model.take());
}

enum class Order { Ascending, Descending, Random, HighThenLow };

TEST(WorkImage, MatchesThePlainModelWhateverTheRecordOrder) {
    constexpr uint64_t kRegion = uint64_t{1} << 22;
    for (uint64_t origin : {uint64_t{0}, uint64_t{0x7FFF8123}, WorkImage::kAddressSpace - kRegion})
        for (Order order : {Order::Ascending, Order::Descending, Order::Random, Order::HighThenLow})
            for (size_t expected : {size_t{0}, size_t{100}, size_t{1} << 22}) {
                SCOPED_TRACE(testing::Message() << std::hex << origin << " order " << static_cast<int>(order)
                                                << " expected " << expected);
                auto writes = randomWrites(origin, kRegion, 300, 7 + static_cast<unsigned>(order));
                if (order == Order::Ascending || order == Order::Descending)
                    std::sort(writes.begin(), writes.end(), [&](auto& a, auto& b) {
                        return order == Order::Ascending ? a.first < b.first : a.first > b.first;
                    });
                if (order == Order::HighThenLow) {
                    writes.insert(writes.begin(), {origin + kRegion - 3, {1, 2, 3}});
                    writes.push_back({origin, {4}});
                }
                checkAgainstModel(writes, kRegion, expected);
            }
}

TEST(WorkImage, DenseRecordsInAShortStretch) {
    // Many overlapping records within one 64 KiB step and just across it.
    for (unsigned seed = 0; seed < 20; ++seed) checkAgainstModel(randomWrites(0x12340000, 0x20000, 50, seed), 0x20000, 0);
}

// Records spread over twice the limit: near it the stretch must give up unfilled bytes at the
// far end, refuse what does not fit, and never hold more storage than the limit.
TEST(WorkImage, RefusesDataBeyondTheSpanLimit) {
    for (uint64_t limit : {uint64_t{0x100}, uint64_t{0x18000}, uint64_t{0x30000}})
        for (uint64_t origin : {uint64_t{0}, uint64_t{0x5555}, WorkImage::kAddressSpace - 2 * limit})
            for (unsigned seed = 0; seed < 8; ++seed) {
                SCOPED_TRACE(testing::Message() << std::hex << "limit " << limit << " origin " << origin << " seed " << seed);
                checkAgainstModel(randomWrites(origin, 2 * limit, 200, seed), limit, seed % 2 ? 4 * limit : 0);
            }
}

TEST(WorkImage, EdgesOfTheAddressSpaceAndOfTheLimit) {
    uint8_t first = 0x24;
    uint8_t last = 0x42;
    WorkImage top(0x1000, 0);
    EXPECT_TRUE(top.store(0xFFFFFFFF, &last, 1));
    EXPECT_EQ(top.take(), Image{0x42});

    WorkImage full(0x20000, 0);
    EXPECT_TRUE(full.store(0x1FFFF, &last, 1));
    EXPECT_TRUE(full.store(0, &first, 1));
    EXPECT_FALSE(full.store(0x20000, &last, 1));
    EXPECT_EQ(full.lowest(), 0u);
    EXPECT_EQ(full.end(), 0x20000u);
    auto image = full.take();
    ASSERT_EQ(image.size(), 0x20000u);
    EXPECT_EQ(image.front(), 0x24);
    EXPECT_EQ(image.back(), 0x42);
    EXPECT_EQ(std::count(image.begin(), image.end(), 0xFF), 0x20000 - 2);

    // Nothing is allocated for data far beyond the limit.
    WorkImage far(0x10000000, 0);
    EXPECT_TRUE(far.store(0, &first, 1));
    EXPECT_FALSE(far.store(0xFFFFFFF0, &last, 1));
    EXPECT_LE(far.storage(), size_t{1} << 16);

    EXPECT_TRUE(WorkImage(0x400000, 0).take().empty());
}

}  // namespace
}  // namespace zel::image
