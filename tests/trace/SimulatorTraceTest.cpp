// The simulator's trace records decode back to the bus bytes it recorded: the two sides share no
// code, so this holds the record layout (valid bits, fragments modulo 4, sequence wrap) on both.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "TraceFixture.h"
#include "target/TraceStore.h"
#include "trace/DisplayRows.h"
#include "trace/TransactionIndex.h"

namespace zel::trace::test {
namespace {

std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    char text[4];
    for (auto b : bytes) std::snprintf(text, sizeof text, "%02x ", b), out += text;
    return out;
}

TEST(SimulatorTrace, EveryRecordedTransactionDecodesToItsBusBytes) {
    sim::target::TraceStore store;
    std::vector<std::vector<std::uint8_t>> sent;
    for (unsigned i = 0; i < 600; ++i) {  // the sequence wraps twice
        std::vector<std::uint8_t> bus = {0x03, static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i), 0x00};
        for (unsigned n = 0; n < i % 300; ++n) bus.push_back(static_cast<std::uint8_t>(n * 3 + i));
        store.record(1000 + i, bus);
        bus.resize(std::min<std::size_t>(bus.size(), sim::target::TraceStore::kMaxRecordedBytes));
        sent.push_back(bus);
    }
    std::vector<std::uint8_t> records;
    for (const auto& r : store.last(store.size())) records.insert(records.end(), r.begin(), r.end());

    ChipFacts chip;
    chip.size = 0x1000000;
    const auto index = TransactionIndex::build(records, chip);
    ASSERT_EQ(index.transactionCount(), sent.size());
    const auto context = contextFor(chip, false);
    const auto rows = DisplayPass(records, index, context).rows(0, SIZE_MAX);
    std::size_t transaction = 0;
    std::string data;
    auto check = [&] {
        if (transaction == 0) return;
        const auto& bus = sent[transaction - 1];
        EXPECT_EQ(data, hex({bus.begin() + 4, bus.end()})) << "transaction " << transaction;
    };
    for (const auto& row : rows) {
        ASSERT_NE(row.kind, TraceRow::Kind::Separator);
        if (row.kind == TraceRow::Kind::Transaction) {
            check();
            ++transaction;
            data.clear();
            const auto& bus = sent[transaction - 1];
            EXPECT_EQ(row.count, std::to_string(transaction));
            EXPECT_EQ(row.address, hex({bus.begin() + 1, bus.begin() + 4}).substr(0, 8));
        }
        data += row.data;
    }
    check();
    EXPECT_EQ(transaction, sent.size());
}

}  // namespace
}  // namespace zel::trace::test
