// Strict mode: what it flags in the host's traffic, and that it flags nothing otherwise.
#include "SimTestHelpers.h"

#include <gtest/gtest.h>

namespace zel::test {
namespace {

using simwire::Status;
using Bytes = std::vector<uint8_t>;

TEST(StrictMode, FlagsUnknownOpcodes) {
    SimProcess sim({"gen=1"}, {"--strict"});
    auto c = openDevice(sim);
    EXPECT_EQ(c->frame({0x99}).status, Status::Ok);  // accepted all the same
    c->frame({0x50, 0x01});
    EXPECT_EQ(sim.control("violations 0"), "unknown opcode 0x99\n");
}

TEST(StrictMode, FlagsNonZeroBytesOutsideTheParameters) {
    SimProcess sim({"gen=1"}, {"--strict"});
    auto c = openDevice(sim);
    c->frame({0x23, 0x28, 0x00, 0x01});                   // parameters only: fine
    c->frame({0x22, 0x28, 0x00, 0x00, 0x00, 0x07});       // byte 5 must be 0
    c->frame({0x40, 1, 2, 3, 4, 0, 0, 0, 0, 0x01});       // byte 9 must be 0
    auto found = lines(sim.control("violations 0"));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_NE(found[0].find("byte 5 is 0x07, expected 0x00"), std::string::npos) << found[0];
    EXPECT_NE(found[1].find("byte 9 is 0x01, expected 0x00"), std::string::npos) << found[1];
}

TEST(StrictMode, PageProgramFrameMustCarry0xFFInItsTail) {
    SimProcess sim({"gen=1"}, {"--strict"});
    auto c = openDevice(sim);
    auto good = makeFrame({0x34, 0x00, 0x01, 0x00});
    std::fill(good.begin() + 4, good.end(), 0xFF);
    c->bulkOut(0x01, good);
    c->bulkOut(0x01, Bytes(256, 0x00));
    EXPECT_EQ(sim.control("violations 0"), "");
    auto bad = good;
    bad[15] = 0x00;
    c->bulkOut(0x01, bad);
    c->bulkOut(0x01, Bytes(256, 0x00));
    EXPECT_NE(sim.control("violations 0").find("byte 15 is 0x00, expected 0xff"), std::string::npos);
}

TEST(StrictMode, FlagsDataPhasesOfTheWrongLengthAndStaysInStep) {
    SimProcess sim({"gen=1"}, {"--strict"});
    auto c = openDevice(sim);
    c->frame({0x40, 0, 0, 0, 0, 0, 0, 0, 100});
    EXPECT_EQ(c->bulkOut(0x01, Bytes(90, 0x11)).status, Status::Ok);
    EXPECT_EQ(c->ask({0x10}, 5).size(), 5u);  // the next frame is a frame again
    c->bulkOut(0x01, Bytes(20, 0));          // neither a frame nor an announced data phase
    auto found = lines(sim.control("violations 0"));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], "opcode 0x40 announced 100 data bytes, the data phase has 90");
    EXPECT_EQ(found[1], "bulk OUT of 20 bytes where a 16-byte command frame was expected");
    // Findings also appear in the transfer log, after the transfer that caused them.
    auto log = sim.log(0);
    auto it = std::find_if(log.begin(), log.end(), [](const SimLogEntry& e) {
        return e.kind == SimLogEntry::Kind::Note && e.text.find("announced 100") != std::string::npos;
    });
    ASSERT_NE(it, log.end());
    ASSERT_NE(it, log.begin());
    EXPECT_EQ(std::prev(it)->kind, SimLogEntry::Kind::Out);
    EXPECT_EQ(std::prev(it)->length, 90u);
    EXPECT_EQ(it->text.rfind("strict: ", 0), 0u);
}

TEST(StrictMode, DataPhaseMayComeInWholePacketPieces) {
    SimProcess sim({"gen=1"}, {"--strict"});
    auto c = openDevice(sim);
    Bytes data(1500);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 3);
    c->frame({0x40, 0, 0, 0x10, 0, 0, 0, 0x05, 0xDC});  // 1500 bytes at 0x1000
    c->bulkOut(0x01, Bytes(data.begin(), data.begin() + 1024));
    c->bulkOut(0x01, Bytes(data.begin() + 1024, data.end()));
    EXPECT_EQ(c->ask({0x41, 0, 0, 0x10, 0, 0, 0, 0x05, 0xDC}, 1500), data);
    EXPECT_EQ(sim.control("violations 0"), "");
    // A piece that ends on a short packet ends the data phase, short.
    c->frame({0x40, 0, 0, 0x20, 0, 0, 0, 0x05, 0xDC});
    c->bulkOut(0x01, Bytes(700, 0x11));
    EXPECT_EQ(c->ask({0x10}, 5).size(), 5u);
    EXPECT_EQ(sim.control("violations 0"), "opcode 0x40 announced 1500 data bytes, the data phase has 700\n");
}

TEST(StrictMode, RpmcAndFifoDataPhasesAreConsumedByLength) {
    SimProcess sim({"gen=1"}, {"--strict"});
    auto c = openDevice(sim);
    c->frame({0x68});
    c->bulkOut(0x01, Bytes(148, 0x01));
    c->frame({0x52, 0x00, 0x10, 0x20, 0x00});  // download FIFO: 16 data bytes follow
    c->bulkOut(0x01, Bytes(16, 0x02));
    EXPECT_EQ(c->ask({0x10}, 5).size(), 5u);
    EXPECT_EQ(sim.control("violations 0"), "");
}

TEST(StrictMode, NothingIsFlaggedWithoutStrict) {
    SimProcess sim({"gen=1"});
    auto c = openDevice(sim);
    c->frame({0x99});
    c->frame({0x10, 1, 2, 3});
    c->bulkOut(0x01, Bytes(20, 0));
    EXPECT_EQ(sim.control("violations 0"), "");
    for (const auto& e : sim.log(0)) EXPECT_NE(e.kind == SimLogEntry::Kind::Note && e.text.rfind("strict", 0) == 0, true);
}

TEST(StrictMode, ClearViolationsEmptiesTheList) {
    SimProcess sim({"gen=1"}, {"--strict"});
    openDevice(sim)->frame({0x99});
    EXPECT_NE(sim.control("violations 0"), "");
    sim.control("clear-violations 0");
    EXPECT_EQ(sim.control("violations 0"), "");
}

}  // namespace
}  // namespace zel::test
