// The command-frame device: replies, registers, on-board flash, emulation memory and the
// smaller commands, driven frame by frame over the socket.
#include "SimTestHelpers.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>

namespace zel::test {
namespace {

using simwire::Status;
using Bytes = std::vector<uint8_t>;

constexpr uint8_t kFiller = 0xA5;

Bytes pageAt(RawSimClient& c, uint32_t address) {
    return c.ask({0x33, static_cast<uint8_t>(address >> 16), static_cast<uint8_t>(address >> 8),
                  static_cast<uint8_t>(address)},
                 256);
}

void programPage(RawSimClient& c, uint32_t address, const Bytes& page) {
    auto frame = makeFrame({0x34, static_cast<uint8_t>(address >> 16), static_cast<uint8_t>(address >> 8),
                            static_cast<uint8_t>(address)});
    std::fill(frame.begin() + 4, frame.end(), 0xFF);
    ASSERT_EQ(c.bulkOut(0x01, frame).status, Status::Ok);
    ASSERT_EQ(c.bulkOut(0x01, page).status, Status::Ok);
}

void writeMemory(RawSimClient& c, uint32_t address, const Bytes& data) {
    const auto n = static_cast<uint32_t>(data.size());
    ASSERT_EQ(c.frame({0x40, static_cast<uint8_t>(address >> 24), static_cast<uint8_t>(address >> 16),
                       static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address), static_cast<uint8_t>(n >> 24),
                       static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)})
                  .status,
              Status::Ok);
    ASSERT_EQ(c.bulkOut(0x01, data).status, Status::Ok);
}

Bytes readMemory(RawSimClient& c, uint32_t address, uint32_t n) {
    return c.ask({0x41, static_cast<uint8_t>(address >> 24), static_cast<uint8_t>(address >> 16),
                  static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address), static_cast<uint8_t>(n >> 24),
                  static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)},
                 n);
}

Bytes pattern(size_t n, uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
    return b;
}

TEST(FrameDevice, FirmwareVersionReplyOrdersTheBytesAndFillsByteZero) {
    SimProcess sim({"gen=1", "gen=2", "fw=0x11223344"});
    EXPECT_EQ(openDevice(sim, 0)->ask({0x10}, 5), (Bytes{kFiller, 0x02, 0x5F, 0x02, 0x1E}));
    EXPECT_EQ(openDevice(sim, 1)->ask({0x10}, 5), (Bytes{kFiller, 0x02, 0x5F, 0x03, 0x05}));
    // fw bytes from the low end: FPGA minor 0x44, FPGA major 0x33, MCU minor 0x22, MCU major 0x11.
    EXPECT_EQ(openDevice(sim, 2)->ask({0x10}, 5), (Bytes{kFiller, 0x33, 0x44, 0x11, 0x22}));
}

TEST(FrameDevice, RegistersAreSixteenBitsBigEndianAndRunStateIsRegister0x28) {
    SimProcess sim({"gen=1"});
    auto c = openDevice(sim);
    EXPECT_EQ(c->ask({0x22, 0x60}, 3), (Bytes{kFiller, 0x00, 0x00}));
    c->frame({0x23, 0x60, 0x12, 0x34});
    EXPECT_EQ(c->ask({0x22, 0x60}, 3), (Bytes{kFiller, 0x12, 0x34}));
    EXPECT_EQ(sim.reg(0, 0x60), 0x1234);
    EXPECT_NE(sim.control("status").find(" stopped "), std::string::npos);
    c->frame({0x23, 0x28, 0x00, 0x01});
    EXPECT_NE(sim.control("status").find(" running "), std::string::npos);
    EXPECT_EQ(sim.control("regs 0"), "0x28=0x0001\n0x2c=0xc000\n0x60=0x1234\n");
    sim.control("set-reg 0 0x61 0xbeef");
    EXPECT_EQ(c->ask({0x22, 0x61}, 3), (Bytes{kFiller, 0xBE, 0xEF}));
}

TEST(FrameDevice, SpiStatusRegisterReportsAnIdleBus) {
    SimProcess sim({"gen=2"});
    EXPECT_EQ(openDevice(sim)->ask({0x22, 0x2C}, 3)[1] & 0xC0, 0xC0);
}

TEST(FrameDevice, ReplyReadsTakeWhatIsPendingAndNothingPendingTimesOut) {
    SimProcess sim({"gen=1"});
    auto c = openDevice(sim);
    auto empty = c->bulkIn(0x82, 64);
    EXPECT_EQ(empty.status, Status::Timeout);
    EXPECT_TRUE(empty.payload.empty());

    ASSERT_EQ(c->frame({0x10}).status, Status::Ok);
    EXPECT_EQ(c->bulkIn(0x82, 2).payload, (Bytes{kFiller, 0x02}));
    auto rest = c->bulkIn(0x82, 100);
    EXPECT_EQ(rest.status, Status::Ok);
    EXPECT_EQ(rest.payload, (Bytes{0x5F, 0x02, 0x1E}));
    EXPECT_EQ(c->bulkIn(0x82, 100).status, Status::Timeout);
}

TEST(FrameDevice, NewFrameDiscardsAnUnreadReply) {
    SimProcess sim({"gen=1,flashid=0x202015"});
    auto c = openDevice(sim);
    ASSERT_EQ(c->frame({0x10}).status, Status::Ok);
    EXPECT_EQ(c->ask({0x30}, 16), (Bytes{0x20, 0x20, 0x15}));
    ASSERT_EQ(c->frame({0x10}).status, Status::Ok);
    ASSERT_EQ(c->frame({0x23, 0x40, 0, 1}).status, Status::Ok);  // no reply of its own
    EXPECT_EQ(c->bulkIn(0x82, 5).status, Status::Timeout);
}

TEST(FrameDevice, WrongEndpointsAreBadRequests) {
    SimProcess sim({"gen=1"});
    auto c = openDevice(sim);
    EXPECT_EQ(c->bulkIn(0x81, 8).status, Status::BadRequest);
    EXPECT_EQ(c->bulkOut(0x02, Bytes(16)).status, Status::BadRequest);
    EXPECT_EQ(c->ask({0x10}, 5).size(), 5u);
}

TEST(FrameDevice, IdentityPageHoldsHardwareVersionAndSerial) {
    SimProcess sim({"gen=1,serial=305419896,hw=7", "gen=2,blank=1", "gen=2"});
    auto page = pageAt(*openDevice(sim, 0), 0x1FFF00);
    Bytes expected(256, 0xFF);
    expected[1] = 7;
    expected[2] = 0x78, expected[3] = 0x56, expected[4] = 0x34, expected[5] = 0x12;
    EXPECT_EQ(page, expected);
    EXPECT_EQ(pageAt(*openDevice(sim, 1), 0x1FFF00), Bytes(256, 0xFF));
    auto g2 = pageAt(*openDevice(sim, 2), 0x1FFF00);
    EXPECT_EQ(g2[2] | g2[3] << 8 | g2[4] << 16 | g2[5] << 24, 123456);
    EXPECT_EQ(openDevice(sim, 2)->ask({0x30}, 3), (Bytes{0xEF, 0x40, 0x15}));
}

TEST(FrameDevice, PageProgramOnlyClearsBitsAndSectorEraseRestores) {
    SimProcess sim({"gen=1"});
    auto c = openDevice(sim);
    ASSERT_EQ(c->frame({0x36}).status, Status::Ok);
    auto first = pattern(256, 1);
    programPage(*c, 0x010100, first);
    EXPECT_EQ(pageAt(*c, 0x010100), first);
    Bytes second(256, 0x0F);
    programPage(*c, 0x010100, second);
    Bytes anded(256);
    for (int i = 0; i < 256; ++i) anded[i] = first[i] & 0x0F;
    EXPECT_EQ(pageAt(*c, 0x010100), anded);
    EXPECT_EQ(pageAt(*c, 0x010000), Bytes(256, 0xFF));  // neighbours untouched
    ASSERT_EQ(c->frame({0x37, 0x01, 0x80, 0x00}).status, Status::Ok);  // any address in the sector
    EXPECT_EQ(pageAt(*c, 0x010100), Bytes(256, 0xFF));
    // Control side sees the same flash.
    programPage(*c, 0x020000, first);
    EXPECT_EQ(sim.control("flash 0 0x20000 4"), "01080f16\n");
}

TEST(FrameDevice, ChipEraseIsBusyForItsDurationAndErasesEverything) {
    SimProcess sim({"gen=1,erase=600000", "gen=1,erase=0"});
    auto slow = openDevice(sim, 0);
    ASSERT_EQ(slow->frame({0x31}).status, Status::Ok);
    EXPECT_EQ(slow->ask({0x32}, 1), Bytes{0});
    EXPECT_EQ(pageAt(*slow, 0x1FFF00), Bytes(256, 0xFF));  // the identity page goes too

    auto fast = openDevice(sim, 1);
    EXPECT_EQ(fast->ask({0x32}, 1), Bytes{1});  // idle before any erase
    ASSERT_EQ(fast->frame({0x31}).status, Status::Ok);
    EXPECT_EQ(fast->ask({0x32}, 1), Bytes{1});
}

TEST(FrameDevice, ChipEraseDurationShrinksWithTheTimeScale) {
    // 600 s of erase at a scale of 1/100000 is 6 ms: the status must turn ready while polling.
    SimProcess sim({"gen=1"}, {"--erase-ms", "600000", "--time-scale", "0.00001"});
    auto c = openDevice(sim);
    ASSERT_EQ(c->frame({0x31}).status, Status::Ok);
    Bytes status{0};
    for (int i = 0; i < 1000 && status[0] == 0; ++i) {
        status = c->ask({0x32}, 1);
        if (status[0] == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(status, Bytes{1});
}

TEST(FrameDevice, EmulationMemoryHasTwoSlotsAndUntouchedBytesReadErased) {
    SimProcess sim({"gen=1"});
    auto c = openDevice(sim);
    auto a = pattern(300, 3);
    auto b = pattern(300, 9);
    writeMemory(*c, 0x00001000, a);
    writeMemory(*c, 0x80001000, b);
    EXPECT_EQ(readMemory(*c, 0x00001000, 300), a);
    EXPECT_EQ(readMemory(*c, 0x80001000, 300), b);
    auto around = readMemory(*c, 0x00000FFE, 4);
    EXPECT_EQ(around, (Bytes{0xFF, 0xFF, a[0], a[1]}));
    EXPECT_EQ(readMemory(*c, 0x0F000000, 16), Bytes(16, 0xFF));
    EXPECT_EQ(sim.control("mem 0 0x80001000 3"), "091017\n");
}

TEST(FrameDevice, MemoryAcrossBlockBoundariesAndTheSlotEnd) {
    SimProcess sim({"gen=1"});
    auto c = openDevice(sim);
    auto data = pattern(3 << 20, 5);  // spans several 1 MiB blocks, unaligned
    writeMemory(*c, 0x000FFF00, data);
    EXPECT_EQ(readMemory(*c, 0x000FFF00, static_cast<uint32_t>(data.size())), data);
    // The last bytes of the slot's 256 MiB: what lies beyond is dropped and reads 0xFF.
    writeMemory(*c, 0x0FFFFFFE, Bytes{1, 2, 3, 4});
    EXPECT_EQ(readMemory(*c, 0x0FFFFFFC, 8), (Bytes{0xFF, 0xFF, 1, 2, 0xFF, 0xFF, 0xFF, 0xFF}));
    // A read is served in pieces as the host asks for them.
    ASSERT_EQ(c->frame({0x41, 0x00, 0x0F, 0xFF, 0x00, 0x00, 0x00, 0x02, 0x00}).status, Status::Ok);
    EXPECT_EQ(c->bulkIn(0x82, 256).payload, Bytes(data.begin(), data.begin() + 256));
    EXPECT_EQ(c->bulkIn(0x82, 4096).payload, Bytes(data.begin() + 256, data.begin() + 512));
}

TEST(FrameDevice, LevelChannelsRpmcAndChipTables) {
    SimProcess sim({"gen=2"});
    auto c = openDevice(sim);
    c->frame({0x11, 2, 0x0B, 0x3F});
    c->frame({0x11, 4, 0x0C, 0xE4});
    EXPECT_EQ(sim.control("levels 0"), "2=2879\n4=3300\n");

    c->frame({0x68});
    auto rpmc = pattern(148, 0x40);
    ASSERT_EQ(c->bulkOut(0x01, rpmc).status, Status::Ok);
    auto dump = sim.control("table 0 rpmc");
    EXPECT_EQ(dump.size(), 2 * 148 + 1);
    EXPECT_EQ(dump.substr(0, 4), "4047");

    c->frame({0x23, 0xC9, 0, 2});
    c->frame({0x23, 0xC2, 0x12, 0x34});
    c->frame({0x23, 0xC2, 0x56, 0x78});
    EXPECT_EQ(sim.control("table 0 sfdp 1"), "1234\n5678\n");
    c->frame({0x23, 0xC9, 0, 2});  // a select starts the table again
    c->frame({0x23, 0xC2, 0x00, 0x01});
    EXPECT_EQ(sim.control("table 0 sfdp 1"), "0001\n");
    EXPECT_EQ(sim.control("table 0 sfdp 0"), "");
}

TEST(FrameDevice, FpgaImageSwitchChangesTheReportedVariantAndResetsRegisters) {
    SimProcess sim({"gen=2"});
    auto c = openDevice(sim);
    c->frame({0x23, 0x28, 0, 1});
    c->frame({0x20});
    EXPECT_EQ(sim.reg(0, 0x28), 0);
    c->frame({0x24, 0x00, 0x07, 0x80, 0x00});
    EXPECT_EQ(c->ask({0x10}, 5)[1], 0x82);
    c->frame({0x24, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(c->ask({0x10}, 5)[1], 0x02);
}

TEST(FrameDevice, StandardRequestsOnTheDefaultPipe) {
    SimProcess sim({"gen=2"});
    auto c = openDevice(sim);
    auto device = c->control(setupPacket(0x80, 6, 0x0100, 0, 18));
    ASSERT_EQ(device.status, Status::Ok);
    ASSERT_EQ(device.payload.size(), 18u);
    EXPECT_EQ(device.payload[10] | device.payload[11] << 8, 0x1235);
    auto shortRead = c->control(setupPacket(0x80, 6, 0x0200, 0, 9));
    EXPECT_EQ(shortRead.payload.size(), 9u);
    EXPECT_EQ(shortRead.payload[2], 32);  // wTotalLength
    auto name = c->control(setupPacket(0x80, 6, 0x0302, 0x0409, 255));
    ASSERT_EQ(name.status, Status::Ok);
    std::string text;
    for (size_t i = 2; i + 1 < name.payload.size(); i += 2) text.push_back(static_cast<char>(name.payload[i]));
    EXPECT_EQ(text, "ZelmorPro-G2");
    EXPECT_EQ(c->control(setupPacket(0xC0, 0xB0, 0, 0, 4)).status, Status::Stall);
}

}  // namespace
}  // namespace zel::test
