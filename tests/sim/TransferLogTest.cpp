// The transfer log: its exact line format, long data as head and digest, its bound, and the
// SimProcess reader of it.
#include "SimTestHelpers.h"

#include "simwire/DataDigest.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace zel::test {
namespace {

using simwire::Status;
using Bytes = std::vector<uint8_t>;

std::string hashText(const Bytes& data) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx",
                  static_cast<unsigned long long>(simwire::DataDigest::of(data)));
    return text;
}

TEST(TransferLog, LinesHaveTheAgreedFormat) {
    SimProcess sim({"gen=1"});
    auto c = openDevice(sim);
    c->ask({0x10}, 5);
    c->bulkIn(0x82, 4);
    c->control(setupPacket(0x80, 6, 0x0100, 0, 18));
    auto log = lines(sim.control("log 0"));
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0], "1 NOTE open");
    EXPECT_EQ(log[1], "2 OUT ep=01 len=16 ok data=10000000000000000000000000000000");
    EXPECT_EQ(log[2], "3 IN ep=82 req=5 len=5 ok data=a5025f021e");
    EXPECT_EQ(log[3], "4 IN ep=82 req=4 len=0 timeout data=");
    EXPECT_EQ(log[4].substr(0, 44), "5 CTRL setup=8006000100001200 len=18 ok data");
    EXPECT_EQ(log[4].substr(45, 8), "12010002");
}

TEST(TransferLog, LongDataIsSummarisedWithHeadAndDigest) {
    SimProcess sim({"gen=1"});
    auto c = openDevice(sim);
    Bytes exact(64), longer(65), big(5 << 20);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 131 + (i >> 12));
    std::copy_n(big.begin(), 64, exact.begin());
    std::copy_n(big.begin(), 65, longer.begin());
    c->frame({0x40, 0, 0, 0, 0, 0, 0, 0, 64});
    c->bulkOut(0x01, exact);
    c->frame({0x40, 0, 0, 0, 0, 0, 0, 0, 65});
    c->bulkOut(0x01, longer);
    c->frame({0x40, 0, 0, 0, 0, 0, 0x50, 0, 0});
    c->bulkOut(0x01, big);
    c->ask({0x41, 0, 0, 0, 0, 0, 0x50, 0, 0}, big.size());

    auto text = lines(sim.control("log 0"));
    EXPECT_EQ(text[2], "3 OUT ep=01 len=64 ok data=" + toHexForTest(exact));
    EXPECT_EQ(text[4], "5 OUT ep=01 len=65 ok head=" + toHexForTest(Bytes(longer.begin(), longer.begin() + 16)) +
                           " hash=" + hashText(longer));

    auto log = sim.log(0);
    ASSERT_EQ(log.size(), 9u);
    const auto& out = log[6];
    EXPECT_EQ(out.length, big.size());
    EXPECT_FALSE(out.whole);
    EXPECT_EQ(out.data, Bytes(big.begin(), big.begin() + 16));
    EXPECT_EQ(out.hash, simwire::DataDigest::of(big));
    const auto& in = log[8];
    EXPECT_EQ(in.kind, SimLogEntry::Kind::In);
    EXPECT_EQ(in.requested, big.size());
    EXPECT_EQ(in.hash, simwire::DataDigest::of(big));
}

TEST(TransferLog, SimProcessReadsEveryKindOfEntry) {
    SimProcess sim({"gen=1"});
    auto c = openDevice(sim);
    c->frame({0x23, 0x28, 0, 1});
    c->bulkIn(0x82, 7);
    c->control(setupPacket(0x80, 6, 0x0302, 0x0409, 64));
    auto log = sim.log(0);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].kind, SimLogEntry::Kind::Note);
    EXPECT_EQ(log[0].text, "open");
    EXPECT_EQ(log[1].kind, SimLogEntry::Kind::Out);
    EXPECT_EQ(log[1].endpoint, 0x01);
    EXPECT_EQ(log[1].status, "ok");
    EXPECT_EQ(log[1].data, (Bytes{0x23, 0x28, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(log[2].kind, SimLogEntry::Kind::In);
    EXPECT_EQ(log[2].endpoint, 0x82);
    EXPECT_EQ(log[2].requested, 7u);
    EXPECT_EQ(log[2].length, 0u);
    EXPECT_EQ(log[2].status, "timeout");
    EXPECT_EQ(log[3].kind, SimLogEntry::Kind::Control);
    EXPECT_EQ(log[3].setup, (std::array<uint8_t, 8>{0x80, 6, 0x02, 0x03, 0x09, 0x04, 64, 0}));
    EXPECT_EQ(log[3].length, 20u);  // "ZelmorPro": 2 + 2 x 9
    EXPECT_EQ(log[3].seq, log[0].seq + 3);
}

TEST(TransferLog, CommandFramesAreTheSixteenByteOuts) {
    SimProcess sim({"gen=1"});
    auto c = openDevice(sim);
    c->frame({0x10});
    c->bulkIn(0x82, 5);
    c->frame({0x40, 0, 0, 0, 0, 0, 0, 0, 32});
    c->bulkOut(0x01, Bytes(32, 0xEE));
    auto frames = sim.commandFrames(0);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0][0], 0x10);
    EXPECT_EQ(frames[1][0], 0x40);
    EXPECT_EQ(frames[1][8], 32);
}

TEST(TransferLog, IsBoundedAndClearedWhileNumbersKeepCounting) {
    SimProcess sim({"gen=1"}, {"--log-limit", "3"});
    auto c = openDevice(sim);
    for (int i = 0; i < 10; ++i) c->frame({0x23, 0x60, 0, static_cast<uint8_t>(i)});
    auto log = sim.log(0);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].seq, 9u);
    EXPECT_EQ(log[2].seq, 11u);
    EXPECT_EQ(log[2].data[3], 9);
    sim.clearLog(0);
    EXPECT_TRUE(sim.log(0).empty());
    c->frame({0x10});
    ASSERT_EQ(sim.log(0).size(), 1u);
    EXPECT_EQ(sim.log(0)[0].seq, 12u);
}

TEST(TransferLog, ParserRejectsMalformedLines) {
    EXPECT_THROW(parseSimLogLine("x"), std::runtime_error);
    EXPECT_THROW(parseSimLogLine("1 OUT ep=01 len=2 ok data=abc"), std::runtime_error);
    EXPECT_THROW(parseSimLogLine("1 FOO bar"), std::runtime_error);
    auto e = parseSimLogLine("7 OUT ep=02 len=100 stall head=000102030405060708090a0b0c0d0e0f hash=00000000000000ff");
    EXPECT_EQ(e.seq, 7u);
    EXPECT_EQ(e.endpoint, 2);
    EXPECT_EQ(e.status, "stall");
    EXPECT_FALSE(e.whole);
    EXPECT_EQ(e.data.size(), 16u);
    EXPECT_EQ(e.hash, 0xFFu);
}

}  // namespace
}  // namespace zel::test
