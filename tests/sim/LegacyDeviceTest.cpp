// The earlier design (product ID 0x1234): descriptors, vendor requests and bulk memory.
#include "SimTestHelpers.h"

#include <gtest/gtest.h>

#include <thread>

namespace zel::test {
namespace {

using simwire::Status;
using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

constexpr uint8_t kVendorIn = 0xC2, kVendorOut = 0x42;  // vendor, endpoint recipient
constexpr uint8_t kDeviceIn = 0xC0, kDeviceOut = 0x40;  // vendor, device recipient

Bytes flashRead(RawSimClient& c, uint32_t address) {
    auto r = c.control(setupPacket(kVendorIn, 0xB2, static_cast<uint16_t>(address >> 16),
                                   static_cast<uint16_t>(address), 64));
    EXPECT_EQ(r.status, Status::Ok);
    return r.payload;
}

uint8_t busy(RawSimClient& c, uint8_t request) {
    auto r = c.control(setupPacket(kVendorIn, request, 0, 0, 1));
    EXPECT_EQ(r.payload.size(), 1u);
    return r.payload.empty() ? 0xFF : r.payload[0];
}

void waitIdle(RawSimClient& c, uint8_t request) {
    for (int i = 0; i < 500 && busy(c, request) != 0; ++i) std::this_thread::sleep_for(2ms);
    ASSERT_EQ(busy(c, request), 0);
}

TEST(LegacyDevice, DescriptorsListItsFourEndpoints) {
    SimProcess sim({"pid=0x1234"});
    auto c = openDevice(sim);
    auto device = c->control(setupPacket(0x80, 6, 0x0100, 0, 18)).payload;
    ASSERT_EQ(device.size(), 18u);
    EXPECT_EQ(device[10] | device[11] << 8, 0x1234);
    auto config = c->control(setupPacket(0x80, 6, 0x0200, 0, 255)).payload;
    ASSERT_EQ(config.size(), 46u);
    EXPECT_EQ(config[2], 46);
    EXPECT_EQ(config[13], 4);
    const std::vector<std::pair<uint8_t, uint8_t>> expected = {{0x81, 3}, {0x02, 2}, {0x86, 2}, {0x88, 2}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(config[18 + 7 * i + 2], expected[i].first);
        EXPECT_EQ(config[18 + 7 * i + 3], expected[i].second);
    }
    auto name = c->control(setupPacket(0x80, 6, 0x0302, 0x0409, 32)).payload;
    ASSERT_EQ(name.size(), 14u);  // "Zelmor"
    EXPECT_EQ(name[2], 'Z');
    EXPECT_EQ(name[12], 'r');
}

TEST(LegacyDevice, RegistersFirmwareAndIdentity) {
    SimProcess sim({"pid=0x1234,serial=70000,hw=3,fw=0x01020304"});
    auto c = openDevice(sim);
    EXPECT_EQ(c->control(setupPacket(kDeviceOut, 0xC0, 0x5A, 0x0028, 0)).status, Status::Ok);
    EXPECT_EQ(c->control(setupPacket(kDeviceIn, 0xC0, 0, 0x0028, 1)).payload, Bytes{0x5A});
    EXPECT_NE(sim.control("status").find(" running "), std::string::npos);
    EXPECT_EQ(sim.control("reg 0 0x28"), "0x005a\n");
    EXPECT_EQ(c->control(setupPacket(kVendorIn, 0xBE, 0, 0, 4)).payload, (Bytes{0x04, 0x03, 0x02, 0x01}));
    auto block = flashRead(*c, 0x1FFFC0);
    EXPECT_EQ(block[50] | block[51] << 8 | block[52] << 16 | block[53] << 24, 70000);
    EXPECT_EQ(flashRead(*c, 0x1FFFF1)[0], 3);
    EXPECT_EQ(c->control(setupPacket(kVendorIn, 0xB0, 0, 0, 4)).payload.size(), 4u);
}

TEST(LegacyDevice, SerialFlashEraseProgramAndBusyStatus) {
    SimProcess sim({"pid=0x1234,erase=600000", "pid=0x1234,erase=0"});
    auto slow = openDevice(sim, 0);
    EXPECT_EQ(slow->control(setupPacket(kVendorOut, 0xB1, 0, 0, 0)).status, Status::Ok);
    EXPECT_EQ(busy(*slow, 0xB4), 1);
    EXPECT_EQ(flashRead(*slow, 0x1FFFC0), Bytes(64, 0xFF));

    auto c = openDevice(sim, 1);
    Bytes data(64);
    for (int i = 0; i < 64; ++i) data[i] = static_cast<uint8_t>(0xF0 | (i & 0x0F));
    EXPECT_EQ(c->control(setupPacket(kVendorOut, 0xB3, 0x0001, 0x0040, 64), data).status, Status::Ok);
    waitIdle(*c, 0xB4);
    EXPECT_EQ(flashRead(*c, 0x00010040), data);
    Bytes mask(64, 0x3C);
    c->control(setupPacket(kVendorOut, 0xB3, 0x0001, 0x0040, 64), mask);
    EXPECT_EQ(flashRead(*c, 0x00010040)[5], 0xF5 & 0x3C);
}

TEST(LegacyDevice, BootMemoryWritesAndReadsBack) {
    SimProcess sim({"pid=0x1234"});
    auto c = openDevice(sim);
    Bytes data(64);
    for (int i = 0; i < 64; ++i) data[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(c->control(setupPacket(kVendorOut, 0xB9, 0x0040, 0, 64), data).status, Status::Ok);
    waitIdle(*c, 0xBA);
    EXPECT_EQ(c->control(setupPacket(kVendorIn, 0xB8, 0x0040, 0, 64)).payload, data);
    EXPECT_EQ(c->control(setupPacket(kVendorIn, 0xB8, 0x0000, 0, 4)).payload, Bytes(4, 0xFF));
}

TEST(LegacyDevice, BulkMemoryTransfersStartedByVendorRequests) {
    SimProcess sim({"pid=0x1234"});
    auto c = openDevice(sim);
    Bytes data(1024);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 13);
    // Nothing started: the device does not take bulk data.
    EXPECT_EQ(c->bulkOut(0x02, data).status, Status::Timeout);
    EXPECT_EQ(c->bulkIn(0x86, 512).status, Status::Timeout);

    c->control(setupPacket(kVendorOut, 0xC3, 0, 0, 0));
    EXPECT_EQ(c->control(setupPacket(kVendorOut, 0xC2, 0x0100, 0x0200, 4), Bytes{2, 0, 0, 0}).status, Status::Ok);
    EXPECT_EQ(c->bulkOut(0x02, data).status, Status::Ok);
    c->control(setupPacket(kVendorOut, 0xC3, 0, 0, 0));
    EXPECT_EQ(sim.control("mem 0 0x01000200 2"), "000d\n");

    EXPECT_EQ(c->control(setupPacket(kVendorOut, 0xC1, 0x0100, 0x0200, 4), Bytes{2, 0, 0, 0}).status, Status::Ok);
    auto first = c->bulkIn(0x86, 512);
    auto second = c->bulkIn(0x86, 4096);
    EXPECT_EQ(first.payload, Bytes(data.begin(), data.begin() + 512));
    EXPECT_EQ(second.payload, Bytes(data.begin() + 512, data.end()));
    EXPECT_EQ(c->bulkIn(0x86, 512).status, Status::Timeout);
    EXPECT_EQ(c->bulkIn(0x88, 512).status, Status::Timeout);
}

TEST(LegacyDevice, UnknownRequestsStallAndStrictModeNamesThem) {
    SimProcess sim({"pid=0x1234"}, {"--strict"});
    auto c = openDevice(sim);
    EXPECT_EQ(c->control(setupPacket(kVendorIn, 0xD7, 0, 0, 2)).status, Status::Stall);
    c->control(setupPacket(kVendorIn, 0xBE, 0, 0, 2));  // wrong length
    c->control(setupPacket(0xC0, 0xBE, 0, 0, 4));        // wrong recipient
    auto found = lines(sim.control("violations 0"));
    ASSERT_EQ(found.size(), 3u);
    EXPECT_NE(found[0].find("not known"), std::string::npos);
    EXPECT_NE(found[1].find("0xbe with 2 data bytes, expected 4"), std::string::npos);
    EXPECT_NE(found[2].find("recipient 0, expected 2"), std::string::npos);
}

}  // namespace
}  // namespace zel::test
