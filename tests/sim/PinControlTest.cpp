// Pin settings in registers and the RPMC block, as the device keeps them and the control
// commands `pins` and `rpmc` show them.
#include "SimTestHelpers.h"

#include <gtest/gtest.h>

namespace zel::test {
namespace {

using simwire::Status;
using Bytes = std::vector<uint8_t>;

void writeReg(RawSimClient& c, uint8_t reg, uint16_t value) {
    ASSERT_EQ(c.frame({0x23, reg, static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)}).status, Status::Ok);
}

uint16_t readReg(RawSimClient& c, uint8_t reg) {
    auto reply = c.ask({0x22, reg}, 3);
    return static_cast<uint16_t>(reply.at(1) << 8 | reply.at(2));
}

TEST(SimPinControls, ResetPinReadsBackOneWhileAsserted) {
    SimProcess sim({"gen=1"}, {"--strict"});
    auto c = openDevice(sim);
    EXPECT_EQ(readReg(*c, 0x10), 0);
    writeReg(*c, 0x10, 0x0C);
    EXPECT_EQ(readReg(*c, 0x10), 1);
    EXPECT_EQ(sim.control("pins 0").substr(0, 8), "reset=1\n");
    writeReg(*c, 0x10, 0);
    EXPECT_EQ(readReg(*c, 0x10), 0);
    EXPECT_EQ(sim.control("violations 0"), "");
    // Anything else is a host fault: flagged, and only bits 2-3 together assert the pin.
    writeReg(*c, 0x10, 0x04);
    EXPECT_EQ(readReg(*c, 0x10), 0);
    EXPECT_NE(sim.control("violations 0").find("reset-pin control 0x0004"), std::string::npos);
    // Reloading the FPGA releases the pin with the other registers.
    writeReg(*c, 0x10, 0x0C);
    ASSERT_EQ(c->frame({0x20}).status, Status::Ok);
    EXPECT_EQ(readReg(*c, 0x10), 0);
}

TEST(SimPinControls, PinsCommandShowsEverySetting) {
    SimProcess sim({"gen=2"});
    EXPECT_EQ(sim.control("pins 0"),
              "reset=0\nreset-level=0x0000\nhold=0 low\nmiso-driven=0\ncs-mode=0\ncs-timing=0x0000\nsupply=none\n");
    auto c = openDevice(sim);
    writeReg(*c, 0x10, 0x0C);
    writeReg(*c, 0x12, 0x0055);
    writeReg(*c, 0x2A, 0x0106);  // other bits are kept, not shown
    writeReg(*c, 0xE0, 1);
    writeReg(*c, 0xE1, 0x0028);
    ASSERT_EQ(c->frame({0x11, 4, 0x07, 0x08}).status, Status::Ok);  // 1800 mV
    EXPECT_EQ(sim.control("pins 0"),
              "reset=1\nreset-level=0x0055\nhold=2 floating\nmiso-driven=1\ncs-mode=1\ncs-timing=0x0028\nsupply=1800\n");
    writeReg(*c, 0x2A, 0x0003);
    EXPECT_NE(sim.control("pins 0").find("hold=3 input\nmiso-driven=0\n"), std::string::npos);
    // A power loss forgets them all.
    c.reset();
    sim.control("unplug 0");
    sim.control("replug 0");
    EXPECT_EQ(sim.control("pins 0").substr(0, 8), "reset=0\n");
    EXPECT_NE(sim.control("pins 0").find("supply=none\n"), std::string::npos);
}

TEST(SimPinControls, RpmcCommandShowsTheLastBlockAndTheDownloadCount) {
    SimProcess sim({"gen=1", "pid=0x1234"});
    EXPECT_EQ(sim.control("rpmc 0"), "\ndownloads=0\n");
    auto c = openDevice(sim);
    Bytes block(148);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i);
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(c->frame({0x68}).status, Status::Ok);
        ASSERT_EQ(c->bulkOut(0x01, block).status, Status::Ok);
    }
    const auto shown = lines(sim.control("rpmc 0"));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], toHexForTest(block));
    EXPECT_EQ(shown[1], "downloads=2");
    // The earlier design has neither.
    EXPECT_THROW(sim.control("pins 1"), std::runtime_error);
    EXPECT_THROW(sim.control("rpmc 1"), std::runtime_error);
}

}  // namespace
}  // namespace zel::test
