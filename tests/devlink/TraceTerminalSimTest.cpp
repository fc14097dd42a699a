// Trace read-out and the hyper terminal through ZelmorProDll against a running zelsim: the
// frames on the wire, the records and bytes that arrive, and devices that stop answering.
#include "ZelmorProDll.h"
#include "support/CommandFrame.h"
#include "support/SimProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <sstream>

namespace {

using namespace std::chrono_literals;
using zel::test::SimLogEntry;
using zel::test::SimProcess;
using Bytes = std::vector<uint8_t>;

Bytes frame(std::initializer_list<uint8_t> head) { return zel::test::commandFrame(head); }

Bytes hexBytes(const std::string& text) {
    Bytes bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2) bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::vector<SimLogEntry> inTransfers(const std::vector<SimLogEntry>& log) {
    std::vector<SimLogEntry> in;
    for (const auto& e : log)
        if (e.kind == SimLogEntry::Kind::In) in.push_back(e);
    return in;
}

class TraceTerminalSim : public ::testing::Test {
protected:
    void SetUp() override { start(2000ms); }
    void TearDown() override {
        CloseUSBZelmorPro();
        ExitZelmorPro();
    }
    void start(std::chrono::milliseconds timeout) {
        sim = std::make_unique<SimProcess>(std::vector<std::string>{"gen=1"});
        sim->exportEnvironment(timeout);
        InitZelmorPro();
    }
    // A 16 MiB chip on slot 0, supplied and emulating, so target transactions reach it.
    void emulate() {
        for (auto setting : {"0x40 0xef", "0x41 0x4018", "0x42 24", "0x44 1"}) sim->control(std::string("set-reg 0 ") + setting);
        SetZelmorProVccTo33V(0);
        RunZelmorPro(0);
    }
    std::string target(const std::string& hex, int readLength = 0) {
        return sim->control("target 0 " + hex + " " + std::to_string(readLength));
    }
    // The newest `count` records the simulator holds, as one byte string.
    Bytes simRecords(size_t count) {
        std::istringstream lines(sim->control("trace 0 " + std::to_string(count)));
        Bytes all;
        for (std::string line; std::getline(lines, line);) {
            auto record = hexBytes(line);
            all.insert(all.end(), record.begin(), record.end());
        }
        return all;
    }

    std::unique_ptr<SimProcess> sim;
};

TEST_F(TraceTerminalSim, BurstReadsCarryEveryRecordOnceAcrossBlocks) {
    emulate();
    for (int i = 0; i < 30; ++i) target("03000000", 250);  // 44 records each: 1,320 in all, two blocks
    const Bytes expected = simRecords(1320);
    ASSERT_EQ(expected.size(), 1320u * 8);
    sim->clearLog(0);

    Bytes buffer(0x20000, 0);
    unsigned int filled = 8;
    EXPECT_EQ(BurstReadZelmorProLogData(buffer.data(), 0x10000, filled, 0x15, 0), 1);
    EXPECT_EQ(filled, 8 + expected.size());
    EXPECT_EQ(Bytes(buffer.begin() + 8, buffer.begin() + filled), expected);
    EXPECT_EQ(sim->commandFrames(0), std::vector<Bytes>{frame({0xBC, 0, 0, 0, 8, 0, 0, 0, 0, 0x15})});
    const auto reads = inTransfers(sim->log(0));
    ASSERT_EQ(reads.size(), 8u);
    for (const auto& r : reads) EXPECT_EQ(r.length, 8192u);

    // Nothing new: every block says N = 0. A length under one block asks for none.
    EXPECT_EQ(BurstReadZelmorProLogData(buffer.data(), 0x10000, filled, 0x15, 0), 1);
    EXPECT_EQ(filled, 8 + expected.size());
    sim->clearLog(0);
    EXPECT_EQ(BurstReadZelmorProLogData(buffer.data(), 8191, filled, 0x15, 0), 1);
    EXPECT_EQ(sim->commandFrames(0), std::vector<Bytes>{frame({0xBC, 0, 0, 0, 0, 0, 0, 0, 0, 0x15})});
    EXPECT_TRUE(inTransfers(sim->log(0)).empty());
    EXPECT_EQ(sim->control("trace-counters 0"), "produced=1320 unread=0 overflows=0 capacity=1048576\n");

    // A full buffer: success without a transfer.
    sim->clearLog(0);
    unsigned int full = 0x7FF0000;
    EXPECT_EQ(BurstReadZelmorProLogData(buffer.data(), 0x10000, full, 0x15, 0), 1);
    EXPECT_EQ(full, 0x7FF0000u);
    EXPECT_TRUE(sim->log(0).empty());
}

TEST_F(TraceTerminalSim, PlainReadLeavesRecordsUnreadAndResetEmptiesTheStore) {
    emulate();
    target("9f", 3);
    const Bytes records = simRecords(2);
    sim->clearLog(0);
    Bytes buffer(24, 0xEE);
    EXPECT_EQ(ReadZelmorProLogData(buffer.data(), 24, 0, 0x15, 0), 1);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 16), records);
    EXPECT_EQ(Bytes(buffer.begin() + 16, buffer.end()), Bytes(8, 0)) << "past the records";
    EXPECT_EQ(sim->commandFrames(0), std::vector<Bytes>{frame({0xBB, 0, 0, 0, 24, 0, 0, 0, 0, 0x15})});
    EXPECT_EQ(sim->control("trace-counters 0"), "produced=2 unread=2 overflows=0 capacity=1048576\n");

    sim->clearLog(0);
    ResetZelmorProSPITrace(0);
    EXPECT_EQ(sim->commandFrames(0), std::vector<Bytes>{frame({0xBD})});
    EXPECT_EQ(sim->control("trace-counters 0"), "produced=0 unread=0 overflows=0 capacity=1048576\n");
}

TEST_F(TraceTerminalSim, TerminalRegistersAndBothFifosOnTheWire) {
    emulate();
    sim->clearLog(0);
    unsigned char value = 0xEE;
    WriteZelmorProHTRegister(4, 0x1234, 0);
    EXPECT_EQ(ReadZelmorProHTRegister(4, value, 0), 0x34);
    EXPECT_EQ(ReadZelmorProHTRegister(0, value, 0), 0x60) << "both FIFOs empty";
    EXPECT_EQ(sim->commandFrames(0), (std::vector<Bytes>{frame({0x51, 4, 0x12, 0x34}), frame({0x50, 4}), frame({0x50, 0})}));

    // Up: the target sends five bytes with the dedicated op-code; a 512-byte read moves 514.
    sim->control("set-reg 0 0x82 0xe5");
    target("e5014869212121");
    sim->clearLog(0);
    Bytes block(514, 0xEE);
    EXPECT_EQ(ReadZelmorProHTuFIFO(block.data(), 512, 128, 0), 1);
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 7), (Bytes{0, 5, 'H', 'i', '!', '!', '!'}));
    EXPECT_EQ(sim->commandFrames(0), std::vector<Bytes>{frame({0x53, 0x02, 0x00, 0x00, 0x80})});
    EXPECT_EQ(inTransfers(sim->log(0)).at(0).length, 514u);
    EXPECT_EQ(ReadZelmorProHTuFIFO(block.data(), 512, 128, 0), 1);
    EXPECT_EQ(block[0] << 8 | block[1], 0) << "no data";

    // Down: 600 bytes send 512; the dFIFO is then full and the next write stores nothing.
    Bytes data(600);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
    sim->clearLog(0);
    unsigned char status = 0xEE;
    WriteZelmorProdFIFO(data.data(), 600, 0x2000, status, 0);
    EXPECT_EQ(sim->commandFrames(0), std::vector<Bytes>{frame({0x52, 0x02, 0x00, 0x20, 0x00})});
    const auto log = sim->log(0);
    const auto out = std::find_if(log.begin(), log.end(), [](const SimLogEntry& e) { return e.kind == SimLogEntry::Kind::Out && e.length != 16; });
    ASSERT_NE(out, log.end());
    EXPECT_EQ(out->length, 512u);
    EXPECT_EQ(ReadZelmorProHTRegister(2, value, 0), 255) << "levels read as min(level, 255)";
    WriteZelmorProdFIFO(data.data(), 5, 0x2000, status, 0);
    EXPECT_EQ(status, 0) << "nothing fitted";

    // The target takes 16 bytes; then 5 more fit and are counted.
    EXPECT_EQ(target("e504", 17).substr(0, 6), "100001");
    WriteZelmorProdFIFO(data.data(), 5, 0x2000, status, 0);
    EXPECT_EQ(status, 5);

    // The serial port: USB sees no data and stores nothing.
    target("e5014869");
    SetZelmorProHTPortFromUSB(false, 0);
    EXPECT_EQ(sim->reg(0, 0x81), 1);
    EXPECT_EQ(ReadZelmorProHTuFIFO(block.data(), 16, 0, 0), 1);
    EXPECT_EQ(block[1], 0);
    SetZelmorProHTPortFromUSB(true, 0);
    EXPECT_EQ(sim->reg(0, 0x81), 0);
    EXPECT_EQ(ReadZelmorProHTuFIFO(block.data(), 16, 0, 0), 1);
    EXPECT_EQ(block[1], 2);
}

TEST_F(TraceTerminalSim, StalledOrUnpluggedDeviceFailsTraceAndTerminalCalls) {
    TearDown();
    start(300ms);
    emulate();
    target("9f", 3);
    sim->control("stall 0 on");
    Bytes buffer(0x10000, 0);
    unsigned int filled = 0;
    EXPECT_EQ(BurstReadZelmorProLogData(buffer.data(), 0x10000, filled, 0x15, 0), 0);
    EXPECT_EQ(filled, 0u);
    Bytes block(514, 0xEE);
    EXPECT_EQ(ReadZelmorProHTuFIFO(block.data(), 512, 128, 0), 0);
    EXPECT_EQ(block, Bytes(514, 0xEE)) << "a failed read leaves the buffer alone";
    unsigned char status = 0xEE, value = 0xEE;
    WriteZelmorProdFIFO(buffer.data(), 10, 0x2000, status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadZelmorProHTRegister(0, value, 0), 0);

    auto pending = std::async(std::launch::async, [&] {
        unsigned int f = 0;
        return BurstReadZelmorProLogData(buffer.data(), 0x10000, f, 0x15, 0);
    });
    sim->control("unplug 0");
    ASSERT_EQ(pending.wait_for(30s), std::future_status::ready) << "the call must not hang";
    EXPECT_EQ(pending.get(), 0);
    EXPECT_EQ(ReadZelmorProHTuFIFO(block.data(), 512, 128, 0), 0);
}

TEST_F(TraceTerminalSim, NotInitialisedExportsLeaveTheirOutputs) {
    TearDown();
    sim->clearLog(0);
    Bytes buffer(16, 0xEE);
    unsigned int filled = 0;
    unsigned char value = 0xEE, status = 0xEE;
    EXPECT_EQ(BurstReadZelmorProLogData(buffer.data(), 0x10000, filled, 0x15, 0), 0);
    EXPECT_EQ(ReadZelmorProLogData(buffer.data(), 8, 0, 0x15, 0), 0);
    EXPECT_EQ(ReadZelmorProHTRegister(0, value, 0), 0);
    EXPECT_EQ(ReadZelmorProHTuFIFO(buffer.data(), 8, 0, 0), 0);
    WriteZelmorProdFIFO(buffer.data(), 8, 0, status, 0);
    ResetZelmorProSPITrace(0);
    SetZelmorProHTPortFromUSB(true, 0);
    EXPECT_EQ(value, 0xEE);
    EXPECT_EQ(status, 0xEE);
    EXPECT_EQ(buffer, Bytes(16, 0xEE));
    EXPECT_TRUE(sim->log(0).empty());
}

}  // namespace
