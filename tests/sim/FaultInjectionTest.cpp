// Injected faults: failed transfers, a stalled device, unplug and replug.
#include "SimTestHelpers.h"

#include <gtest/gtest.h>

#include <thread>

namespace zel::test {
namespace {

using simwire::MsgType;
using simwire::Status;
using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

TEST(FaultInjection, FailAnswersTheNextTransfersWithAStall) {
    SimProcess sim({"gen=1"});
    auto c = openDevice(sim);
    sim.control("fail 0 2");
    EXPECT_NE(sim.control("status").find("fail=2"), std::string::npos);
    EXPECT_EQ(c->frame({0x23, 0x60, 0, 5}).status, Status::Stall);  // its data is read and dropped
    EXPECT_EQ(c->bulkIn(0x82, 3).status, Status::Stall);
    EXPECT_EQ(sim.reg(0, 0x60), 0);
    EXPECT_EQ(c->ask({0x22, 0x2C}, 3).size(), 3u);
    auto log = sim.log(0);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 4].status, "stall");
    EXPECT_EQ(log[log.size() - 4].length, 16u);
    EXPECT_EQ(log[log.size() - 3].status, "stall");
    EXPECT_EQ(log[log.size() - 1].status, "ok");
}

TEST(FaultInjection, StalledTransferCompletesLateWhenTheClientStillWaits) {
    SimProcess sim({"gen=1"});
    auto c = openDevice(sim);
    sim.control("stall 0 on");
    EXPECT_NE(sim.control("status").find("stalled"), std::string::npos);
    auto frame = makeFrame({0x23, 0x60, 0, 9});
    c->send(MsgType::BulkOut, 0x01, frame.size(), frame);  // no time-out: waits as long as it takes
    EXPECT_FALSE(c->receive(300ms).has_value());
    sim.control("stall 0 off");
    auto late = c->receive(5s);
    ASSERT_TRUE(late.has_value());
    EXPECT_EQ(late->status, Status::Ok);
    EXPECT_EQ(sim.reg(0, 0x60), 9);
}

TEST(FaultInjection, StalledTransfersTheClientGaveUpOnAreDroppedUnanswered) {
    SimProcess sim({"gen=1"});
    auto c = openDevice(sim);
    c->frame({0x10});
    sim.control("stall 0 on");
    auto write = makeFrame({0x23, 0x60, 0, 9});
    c->send(MsgType::BulkOut, 0x01, write.size(), write, {}, 100);
    EXPECT_FALSE(c->receive(400ms).has_value());
    c->send(MsgType::BulkIn, 0x82, 5, {}, {}, 100);
    EXPECT_FALSE(c->receive(400ms).has_value());
    c->send(MsgType::Control, 0, 0, {}, setupPacket(0x80, 6, 0x0100, 0, 18), 100);
    EXPECT_FALSE(c->receive(400ms).has_value());
    sim.control("stall 0 off");
    // The same connection goes on in step; nothing the client gave up on was performed, and a
    // frame that timed out did not discard the reply waiting from before the stall.
    EXPECT_EQ(c->bulkIn(0x82, 5).payload.size(), 5u);
    EXPECT_EQ(c->ask({0x22, 0x60}, 3), (Bytes{0xA5, 0, 0}));
    std::vector<std::string> statuses;
    for (auto& e : sim.log(0))
        if (e.kind != SimLogEntry::Kind::Note) statuses.push_back(e.status);
    EXPECT_EQ(statuses, (std::vector<std::string>{"ok", "timeout", "timeout", "timeout", "ok", "ok", "ok"}));
}

TEST(FaultInjection, ClientGivingUpDuringAStallReleasesTheDevice) {
    SimProcess sim({"gen=1"});
    sim.control("stall 0 on");
    {
        auto c = openDevice(sim);
        c->send(MsgType::BulkIn, 0x82, 5);
        EXPECT_FALSE(c->receive(100ms).has_value());
    }
    RawSimClient next(endpoint(sim, 0));
    EXPECT_EQ(next.open().status, Status::Ok);
}

TEST(FaultInjection, UnplugClosesConnectionsAndRemovesTheEndpoint) {
    SimProcess sim({"gen=1", "gen=2"});
    auto held = openDevice(sim, 0);
    RawSimClient watcher(endpoint(sim, 0));
    held->frame({0x23, 0x28, 0, 1});
    sim.control("unplug 0");
    EXPECT_FALSE(std::filesystem::exists(endpoint(sim, 0)));
    EXPECT_TRUE(std::filesystem::exists(endpoint(sim, 1)));
    EXPECT_TRUE(held->closedWithin(2s));
    EXPECT_TRUE(watcher.closedWithin(2s));
    EXPECT_THROW(RawSimClient{endpoint(sim, 0)}, std::runtime_error);
    EXPECT_NE(sim.control("status").find("0 dev00 pid=0x1235 unplugged"), std::string::npos);
    EXPECT_THROW(sim.control("unplug 0"), std::runtime_error);

    sim.control("replug 0");
    ASSERT_TRUE(std::filesystem::is_socket(endpoint(sim, 0)));
    auto again = openDevice(sim, 0);
    EXPECT_EQ(again->ask({0x22, 0x28}, 3), (Bytes{0xA5, 0, 0}));  // a fresh power-up
    auto page = again->ask({0x33, 0x1F, 0xFF, 0x00}, 256);
    EXPECT_EQ(page[2] | page[3] << 8, 1234);                       // the flash kept its contents
    auto notes = entriesOf(sim.log(0), SimLogEntry::Kind::Note);
    std::vector<std::string> texts;
    for (auto& n : notes) texts.push_back(n.text);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "unplug"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "replug"), texts.end());
}

TEST(FaultInjection, ControlCommandsCheckTheirArguments) {
    SimProcess sim({"gen=1"});
    EXPECT_THROW(sim.control("stall 0 maybe"), std::runtime_error);
    EXPECT_THROW(sim.control("fail 3 1"), std::runtime_error);
    EXPECT_THROW(sim.control("replug 0"), std::runtime_error);
    EXPECT_THROW(sim.control("reg 0 0x100"), std::runtime_error);
    EXPECT_THROW(sim.control("unplug"), std::runtime_error);
    EXPECT_THROW(sim.control("no-such-command"), std::runtime_error);
}

}  // namespace
}  // namespace zel::test
