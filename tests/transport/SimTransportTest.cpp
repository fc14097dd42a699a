#include "FakeSimDevice.h"
#include "transport/SimTransport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace zel::transport {
namespace {

using namespace std::chrono_literals;
using simwire::MsgType;
using simwire::Status;
using test::FakeSimDevice;
using test::NoReply;
using test::SimReply;
using test::SimRequest;

constexpr uint16_t kVid = 0x04B4;
constexpr uint16_t kPid = 0x1235;

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zsimtXXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

class SimTransportTest : public ::testing::Test {
protected:
    TempFolder folder;

    std::unique_ptr<FakeSimDevice> device(const std::string& name, uint16_t productId = kPid) {
        return std::make_unique<FakeSimDevice>(folder.path() / name, productId);
    }

    std::unique_ptr<DeviceHandle> openOnly(FakeSimDevice&, Timeouts timeouts = {1000ms, 1000ms}) {
        SimTransport sim(folder.path(), timeouts);
        auto entries = sim.enumerate(kVid, kPid);
        EXPECT_EQ(entries.size(), 1u);
        return entries.empty() ? nullptr : std::move(entries[0].handle);
    }

    static std::vector<SimRequest> transfers(const FakeSimDevice& device) {
        std::vector<SimRequest> result;
        for (auto& r : device.requests()) {
            if (r.header.type != uint8_t(MsgType::Describe) && r.header.type != uint8_t(MsgType::Open)) result.push_back(r);
        }
        return result;
    }
};

// ---- enumeration ----

TEST_F(SimTransportTest, EnumeratesEndpointsInNameOrderAndOpensOnlyMatchingDevices) {
    auto second = device("dev01.usb");
    auto first = device("dev00.usb");
    first->setBusy(true);
    auto foreign = device("dev02.usb", 0x1234);
    auto third = device("dev03.usb");
    std::ofstream(folder.path() / "notes.txt") << "not a device";

    SimTransport sim(folder.path(), {1000ms, 1000ms});
    auto entries = sim.enumerate(kVid, kPid);

    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].handle, nullptr) << "dev00 is held by another client";
    EXPECT_NE(entries[1].handle, nullptr);
    EXPECT_NE(entries[2].handle, nullptr);
    for (auto& e : entries) EXPECT_EQ(e.productId, kPid);

    auto types = [](const FakeSimDevice& d) {
        std::vector<uint8_t> t;
        for (auto& r : d.requests()) t.push_back(r.header.type);
        return t;
    };
    const std::vector<uint8_t> describeOpen{uint8_t(MsgType::Describe), uint8_t(MsgType::Open)};
    EXPECT_EQ(types(*first), describeOpen);
    EXPECT_EQ(types(*second), describeOpen);
    EXPECT_EQ(types(*foreign), std::vector<uint8_t>{uint8_t(MsgType::Describe)});
    for (int i = 0; i < 100 && foreign->hangUps() == 0; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(foreign->hangUps(), 1) << "a device of another identity is let go at once";
}

TEST_F(SimTransportTest, EmptyOrMissingFolderListsNothing) {
    EXPECT_TRUE(SimTransport(folder.path()).enumerate(kVid, kPid).empty());
    EXPECT_TRUE(SimTransport(folder.path() / "absent").enumerate(kVid, kPid).empty());
}

TEST_F(SimTransportTest, HelloGivesTimeScaleAndInterfaceEndpoints) {
    auto dev = device("dev00.usb");
    dev->setTimeScaleMicro(250000);
    auto handle = openOnly(*dev);
    ASSERT_NE(handle, nullptr);
    EXPECT_DOUBLE_EQ(handle->timeScale(), 0.25);
    auto endpoints = handle->interfaceEndpoints();
    ASSERT_EQ(endpoints.size(), 2u);
    EXPECT_EQ(endpoints[0].address, 0x01);
    EXPECT_EQ(endpoints[1].address, 0x82);
    EXPECT_EQ(endpoints[1].type, EndpointType::Bulk);
    EXPECT_EQ(endpoints[1].maxPacketSize, 512);
}

// ---- transfers ----

TEST_F(SimTransportTest, BulkOutIsOneRequestWithItsDataAndTimeOut) {
    auto dev = device("dev00.usb");
    dev->setHandler([](const SimRequest& r) -> std::variant<SimReply, NoReply> {
        return SimReply{Status::Ok, r.data.size() == 40 ? 10u : r.data.size(), {}};
    });
    auto handle = openOnly(*dev, {1234ms, 5000ms});
    std::vector<uint8_t> frame{0x23, 0x28, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(handle->bulkOut(0x01, frame).complete(16));

    std::vector<uint8_t> block(40, 0x5A);
    auto partial = handle->bulkOut(0x01, block);
    EXPECT_FALSE(partial.ok) << "not every byte accepted";
    EXPECT_EQ(partial.transferred, 10u);

    EXPECT_TRUE(handle->bulkOut(0x01, {}).ok);

    auto sent = transfers(*dev);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].header.type, uint8_t(MsgType::BulkOut));
    EXPECT_EQ(sent[0].header.endpoint, 0x01);
    EXPECT_EQ(sent[0].header.length, 16u);
    EXPECT_EQ(sent[0].header.timeoutMs, 1234u);
    EXPECT_EQ(sent[0].data, frame);
    EXPECT_EQ(sent[1].data, block);
    EXPECT_EQ(sent[2].header.length, 0u) << "a zero-length OUT is still sent";
}

TEST_F(SimTransportTest, BulkInDeliversTheReplyAndADeviceErrorKeepsTheLinkUsable) {
    auto dev = device("dev00.usb");
    int calls = 0;
    dev->setHandler([&calls](const SimRequest&) -> std::variant<SimReply, NoReply> {
        if (calls++ == 0) return SimReply{Status::Ok, 3, {0xAB, 0x00, 0x01}};
        if (calls == 2) return SimReply{Status::Stall, 0, {}};
        return SimReply{Status::Ok, 2, {7, 8}};
    });
    auto handle = openOnly(*dev);
    std::array<uint8_t, 3> reply{};
    auto first = handle->bulkIn(0x82, reply);
    EXPECT_TRUE(first.complete(3));
    EXPECT_EQ(reply, (std::array<uint8_t, 3>{0xAB, 0x00, 0x01}));

    EXPECT_FALSE(handle->bulkIn(0x82, reply).ok);

    std::array<uint8_t, 8> longer{};
    auto shortRead = handle->bulkIn(0x82, longer);
    EXPECT_TRUE(shortRead.ok) << "the stream stayed in step after the stall";
    EXPECT_EQ(shortRead.transferred, 2u);

    EXPECT_TRUE(handle->bulkIn(0x82, {}).ok);
    auto sent = transfers(*dev);
    ASSERT_EQ(sent.size(), 3u) << "a zero-length IN issues nothing";
    EXPECT_EQ(sent[0].header.type, uint8_t(MsgType::BulkIn));
    EXPECT_EQ(sent[0].header.endpoint, 0x82);
    EXPECT_EQ(sent[0].header.length, 3u);
}

TEST_F(SimTransportTest, ControlRequestsCarryTheSetupLittleEndian) {
    auto dev = device("dev00.usb");
    dev->setHandler([](const SimRequest& r) -> std::variant<SimReply, NoReply> {
        if (r.header.setup[0] & 0x80) return SimReply{Status::Ok, 4, {1, 2, 3, 4}};
        return SimReply{Status::Ok, r.data.size(), {}};
    });
    auto handle = openOnly(*dev, {1000ms, 777ms});
    std::array<uint8_t, 18> in{};
    auto got = handle->control({0x80, 0x06, 0x0100, 0x0409, 18}, in);
    EXPECT_TRUE(got.ok);
    EXPECT_EQ(got.transferred, 4u);
    EXPECT_EQ(in[3], 4);

    std::array<uint8_t, 2> out{0x11, 0x22};
    EXPECT_TRUE(handle->control({0x40, 0xB0, 0x1234, 0, 2}, out).complete(2));

    auto sent = transfers(*dev);
    ASSERT_EQ(sent.size(), 2u);
    const uint8_t expectedSetup[8] = {0x80, 0x06, 0x00, 0x01, 0x09, 0x04, 18, 0};
    EXPECT_TRUE(std::equal(std::begin(expectedSetup), std::end(expectedSetup), sent[0].header.setup));
    EXPECT_EQ(sent[0].header.timeoutMs, 777u);
    EXPECT_TRUE(sent[0].data.empty());
    EXPECT_EQ(sent[1].data, (std::vector<uint8_t>{0x11, 0x22}));
}

// ---- a link out of step ----

TEST_F(SimTransportTest, UnansweredTransferTimesOutAndTheLinkStaysDead) {
    auto dev = device("dev00.usb");
    dev->setHandler([](const SimRequest&) -> std::variant<SimReply, NoReply> { return NoReply::Stall; });
    auto handle = openOnly(*dev, {200ms, 200ms});
    std::array<uint8_t, 3> reply{};
    EXPECT_FALSE(handle->bulkIn(0x82, reply).ok);

    // The device would answer now, but the late reply of the first request would be taken
    // for this one: the link refuses without sending.
    dev->setHandler([](const SimRequest&) -> std::variant<SimReply, NoReply> { return SimReply{Status::Ok, 16, {}}; });
    std::array<uint8_t, 16> frame{};
    EXPECT_FALSE(handle->bulkOut(0x01, frame).ok);
    EXPECT_FALSE(handle->control({0x80, 6, 0x0100, 0, 18}, std::span<uint8_t>(frame).first(16)).ok);
    EXPECT_EQ(transfers(*dev).size(), 1u);
}

TEST_F(SimTransportTest, SendingTheDataAndAwaitingTheAnswerShareOneTimeOut) {
    // The data go out slowly (700 ms of a 1,000 ms time-out) and the answer comes 500 ms later:
    // inside one time-out counted from each phase, but not from the start of the transfer.
    auto dev = device("dev00.usb");
    dev->setDataDelay(700ms);
    dev->setHandler([](const SimRequest& r) -> std::variant<SimReply, NoReply> {
        std::this_thread::sleep_for(500ms);
        return SimReply{Status::Ok, r.data.size(), {}};
    });
    auto handle = openOnly(*dev, {1000ms, 1000ms});
    // Two chunks' worth of data have two time-outs, as two transfers on the USB path would.
    std::vector<uint8_t> block(kMaxBulkChunk + 1, 0x5A);
    EXPECT_TRUE(handle->bulkOut(0x01, block).ok);
    block.resize(2u << 20);  // more than a socket buffer holds, one chunk
    EXPECT_FALSE(handle->bulkOut(0x01, block).ok);
}

TEST_F(SimTransportTest, OversizedReplyOrHangUpKillsTheLink) {
    auto dev = device("dev00.usb");
    dev->setHandler([](const SimRequest&) -> std::variant<SimReply, NoReply> {
        return SimReply{Status::Ok, 4, {1, 2, 3, 4}};
    });
    auto handle = openOnly(*dev);
    std::array<uint8_t, 3> reply{};
    EXPECT_FALSE(handle->bulkIn(0x82, reply).ok) << "more data than asked for";
    EXPECT_FALSE(handle->bulkIn(0x82, reply).ok);
    EXPECT_EQ(transfers(*dev).size(), 1u);

    auto other = device("dev01.usb");
    other->setHandler([](const SimRequest&) -> std::variant<SimReply, NoReply> { return NoReply::HangUp; });
    SimTransport sim(folder.path(), {1000ms, 1000ms});
    auto entries = sim.enumerate(kVid, kPid);
    ASSERT_EQ(entries.size(), 2u);
    std::array<uint8_t, 16> frame{};
    EXPECT_FALSE(entries[1].handle->bulkOut(0x01, frame).ok) << "the device went away";
    EXPECT_FALSE(entries[1].handle->bulkOut(0x01, frame).ok);
    EXPECT_EQ(transfers(*other).size(), 1u);
}

TEST_F(SimTransportTest, ClosingAHandleReturnsOnlyOnceTheSimulatorLetTheDeviceGo) {
    auto dev = device("dev00.usb");
    auto handle = openOnly(*dev);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(dev->hangUps(), 0);
    handle.reset();
    // No waiting here: an enumeration right after a close must find the device free.
    EXPECT_EQ(dev->hangUps(), 1);
}

TEST_F(SimTransportTest, StaleSocketFileIsSkipped) {
    { auto gone = device("dev00.usb"); }  // the file stays, nobody listens
    auto live = device("dev01.usb");
    SimTransport sim(folder.path(), {500ms, 500ms});
    auto entries = sim.enumerate(kVid, kPid);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].handle, nullptr);
}

// ---- the process's transport ----

TEST_F(SimTransportTest, MakeTransportServesTheSimulatorFolderWithItsTimeOut) {
    auto dev = device("dev00.usb");
    dev->setHandler([](const SimRequest& r) -> std::variant<SimReply, NoReply> {
        return SimReply{Status::Ok, r.data.size(), {}};
    });
    ::setenv("ZELMOR_SIM", folder.path().c_str(), 1);
    ::setenv("ZELMOR_SIM_TIMEOUT_MS", "321", 1);
    auto transport = makeTransport();
    auto entries = transport->enumerate(kVid, kPid);
    ASSERT_EQ(entries.size(), 1u);
    ASSERT_NE(entries[0].handle, nullptr);
    std::array<uint8_t, 16> frame{};
    std::array<uint8_t, 18> descriptor{};
    entries[0].handle->bulkOut(0x01, frame);
    dev->setHandler([](const SimRequest&) -> std::variant<SimReply, NoReply> { return SimReply{Status::Ok, 0, {}}; });
    entries[0].handle->control({0x80, 6, 0x0100, 0, 18}, descriptor);
    auto sent = transfers(*dev);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].header.timeoutMs, 321u);
    EXPECT_EQ(sent[1].header.timeoutMs, 321u);
}

TEST_F(SimTransportTest, MakeTransportIgnoresAnUnusableTimeOut) {
    auto dev = device("dev00.usb");
    dev->setHandler([](const SimRequest& r) -> std::variant<SimReply, NoReply> {
        return SimReply{Status::Ok, r.data.size(), {}};
    });
    ::setenv("ZELMOR_SIM", folder.path().c_str(), 1);
    ::setenv("ZELMOR_SIM_TIMEOUT_MS", "12abc", 1);
    auto entries = makeTransport()->enumerate(kVid, kPid);
    ASSERT_EQ(entries.size(), 1u);
    std::array<uint8_t, 16> frame{};
    entries[0].handle->bulkOut(0x01, frame);
    auto sent = transfers(*dev);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].header.timeoutMs, 65536u);
}

TEST(ScaledSleep, UsesTheDeviceTimeScale) {
    struct Scaled : DeviceHandle {
        TransferResult bulkOut(uint8_t, std::span<const uint8_t>) override { return {}; }
        TransferResult bulkIn(uint8_t, std::span<uint8_t>) override { return {}; }
        TransferResult control(const SetupPacket&, std::span<uint8_t>) override { return {}; }
        std::vector<EndpointInfo> interfaceEndpoints() const override { return {}; }
        double timeScale() const override { return 0.0; }
    } instant;
    // A 20 s erase wait on a device that reports time scale 0 returns at once (the test's own
    // time limit would catch a real wait).
    scaledSleep(instant, std::chrono::milliseconds(20000));
    SUCCEED();
}

}  // namespace
}  // namespace zel::transport
