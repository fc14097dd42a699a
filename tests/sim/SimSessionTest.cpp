// Endpoints, the hello payload and who may hold a device.
#include "SimTestHelpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <unistd.h>

namespace zel::test {
namespace {

using simwire::Status;

struct Hello {
    simwire::HelloPayload payload;
    std::vector<uint8_t> device;
    std::vector<uint8_t> configuration;
};

Hello parseHello(const RawReply& reply) {
    Hello hello;
    EXPECT_GE(reply.payload.size(), sizeof hello.payload);
    std::memcpy(&hello.payload, reply.payload.data(), sizeof hello.payload);
    auto rest = std::span(reply.payload).subspan(sizeof hello.payload);
    EXPECT_EQ(rest.size(), size_t{hello.payload.deviceDescriptorLength} + hello.payload.configDescriptorLength);
    hello.device.assign(rest.begin(), rest.begin() + hello.payload.deviceDescriptorLength);
    hello.configuration.assign(rest.begin() + hello.payload.deviceDescriptorLength, rest.end());
    return hello;
}

TEST(SimSession, EndpointsAreNamedInDeviceOrder) {
    SimProcess sim({"gen=1", "gen=2", "pid=0x1234"});
    for (const char* name : {"dev00.usb", "dev01.usb", "dev02.usb", "control.sock"})
        EXPECT_TRUE(std::filesystem::is_socket(sim.dir() / name)) << name;
    EXPECT_FALSE(std::filesystem::exists(sim.dir() / "dev03.usb"));
}

TEST(SimSession, HelloCarriesTimeScaleAndDescriptors) {
    SimProcess sim({"gen=1"}, {"--time-scale", "0.25"});
    RawSimClient client(endpoint(sim, 0));
    auto reply = client.describe();
    ASSERT_EQ(reply.status, Status::Ok);
    auto hello = parseHello(reply);
    EXPECT_EQ(hello.payload.timeScaleMicro, 250000u);
    ASSERT_EQ(hello.device.size(), 18u);
    EXPECT_EQ(hello.device[1], 1);                                     // device descriptor
    EXPECT_EQ(hello.device[8] | hello.device[9] << 8, 0x04B4);        // idVendor
    EXPECT_EQ(hello.device[10] | hello.device[11] << 8, 0x1235);      // idProduct
    ASSERT_EQ(hello.configuration.size(), 32u);
    EXPECT_EQ(hello.configuration[2] | hello.configuration[3] << 8, 32);  // wTotalLength
    EXPECT_EQ(hello.configuration[13], 2);                                // two endpoints
    EXPECT_EQ(hello.configuration[20], 0x01);                             // bulk OUT 0x01
    EXPECT_EQ(hello.configuration[21], 2);
    EXPECT_EQ(hello.configuration[27], 0x82);                             // bulk IN 0x82
    EXPECT_EQ(hello.configuration[28], 2);
}

TEST(SimSession, DefaultTimeScaleIsOne) {
    SimProcess sim({"gen=2"});
    RawSimClient client(endpoint(sim, 0));
    EXPECT_EQ(parseHello(client.describe()).payload.timeScaleMicro, 1000000u);
}

TEST(SimSession, OneHolderAtATimeAndDescribeNeverClaims) {
    SimProcess sim({"gen=1"});
    RawSimClient first(endpoint(sim, 0));
    RawSimClient second(endpoint(sim, 0));
    EXPECT_EQ(second.describe().status, Status::Ok);
    EXPECT_EQ(first.open().status, Status::Ok);
    EXPECT_EQ(first.open().status, Status::Ok);  // opening again on the same connection is fine
    auto refused = second.open();
    EXPECT_EQ(refused.status, Status::Busy);
    EXPECT_EQ(parseHello(refused).device.size(), 18u);  // Busy still carries the hello
    EXPECT_EQ(second.describe().status, Status::Ok);
    EXPECT_NE(sim.control("status").find(" held "), std::string::npos);
}

TEST(SimSession, ClosingTheConnectionReleasesTheDevice) {
    SimProcess sim({"gen=1"});
    RawSimClient second(endpoint(sim, 0));
    {
        RawSimClient first(endpoint(sim, 0));
        ASSERT_EQ(first.open().status, Status::Ok);
        EXPECT_EQ(second.open().status, Status::Busy);
    }
    // At once, as when one process closes a real device and another opens it.
    EXPECT_EQ(second.open().status, Status::Ok);
    auto notes = entriesOf(sim.log(0), SimLogEntry::Kind::Note);
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(notes[1].text, "open refused: held by another client");
    EXPECT_EQ(notes[2].text, "close");
    EXPECT_EQ(notes[3].text, "open");
}

TEST(SimSession, TransfersWithoutOpenAreRefusedAndKeepTheStreamInStep) {
    SimProcess sim({"gen=1"});
    RawSimClient client(endpoint(sim, 0));
    std::vector<uint8_t> data(1000, 0x5A);
    EXPECT_EQ(client.bulkOut(0x01, data).status, Status::NotOpen);
    EXPECT_EQ(client.bulkIn(0x82, 5).status, Status::NotOpen);
    EXPECT_EQ(client.control(setupPacket(0x80, 6, 0x0100, 0, 18)).status, Status::NotOpen);
    EXPECT_EQ(client.open().status, Status::Ok);
    EXPECT_EQ(client.ask({0x10}, 5).size(), 5u);
    auto log = sim.log(0);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0].status, "notopen");
    EXPECT_EQ(log[0].length, 1000u);
}

TEST(SimSession, SimulatorHoldMakesTheDeviceBusy) {
    SimProcess sim({"gen=1"});
    sim.control("hold 0");
    RawSimClient client(endpoint(sim, 0));
    EXPECT_EQ(client.open().status, Status::Busy);
    EXPECT_NE(sim.control("status").find("held-by-simulator"), std::string::npos);
    sim.control("release 0");
    EXPECT_EQ(client.open().status, Status::Ok);
    EXPECT_THROW(sim.control("hold 0"), std::runtime_error);  // a client holds it now
    EXPECT_THROW(sim.control("release 0"), std::runtime_error);
}

TEST(SimSession, BadMagicClosesTheConnection) {
    SimProcess sim({"gen=1"});
    RawSimClient client(endpoint(sim, 0));
    std::array<uint8_t, 32> junk{};
    junk.fill(0x11);
    int fd = simwire::connectUnix(endpoint(sim, 0));
    ASSERT_GE(fd, 0);
    ASSERT_EQ(simwire::writeAll(fd, std::as_bytes(std::span(junk)), simwire::Clock::now() + std::chrono::seconds(2)),
              simwire::IoResult::Ok);
    simwire::ReplyHeader header;
    ASSERT_EQ(simwire::readAll(fd, simwire::asWritableBytes(header), simwire::Clock::now() + std::chrono::seconds(5)),
              simwire::IoResult::Ok);
    EXPECT_EQ(header.status, static_cast<uint8_t>(Status::BadRequest));
    std::byte more;
    EXPECT_EQ(simwire::readAll(fd, std::span(&more, 1), simwire::Clock::now() + std::chrono::seconds(5)),
              simwire::IoResult::Closed);
    ::close(fd);
    EXPECT_EQ(client.describe().status, Status::Ok);  // other connections carry on
}

}  // namespace
}  // namespace zel::test
