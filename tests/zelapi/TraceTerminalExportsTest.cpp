// Trace and hyper-terminal exports against a simulator: what reaches the queue, the ring rule
// of the trace buffer, short dFIFO writes, register 0x60 through the earlier design's library,
// and a device that goes away during a terminal session.
#include "SimulatedApi.h"

#include <algorithm>
#include <future>
#include <thread>

namespace zel::test {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

class TraceTerminalExports : public SimulatedApi {
protected:
    // Device 0 emulates a 16 MiB chip with dedicated terminal op-code 0xE5; device 1 is the
    // earlier design that zeldev reaches.
    void start(std::chrono::milliseconds timeout = 2000ms)
    {
        startSimulator({"gen=1", "pid=0x1234"}, {}, timeout);
        CliInitialZelmorProDLL();
        for (auto setting : {"0x40 0xef", "0x41 0x4018", "0x42 24", "0x44 1"})
            sim().control(std::string("set-reg 0 ") + setting);
        CliSetVccTo33V(0);
        CliStartEmulation(0);
        CliSetSPIHTCommand(0xE5);
    }
    void targetSends(const std::string& hex) { sim().control("target 0 e501" + hex + " 0"); }
    Bytes drain()
    {
        Bytes bytes;
        while (!CliCheckSPIHyperTerminalQueueIsEmpty())
            bytes.push_back(CliReadSPIHTFromQueue(nullptr));
        return bytes;
    }
};

TEST_F(TraceTerminalExports, UploadQueuesExactlyTheBytesTheTargetSent)
{
    start();
    EXPECT_EQ(sim().reg(0, 0x82), 0xE5);
    targetSends("4044364705");
    int result = -1;
    CliUploadFIFO(&result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(CliGetSPIHTQueueCounter(), 5);
    EXPECT_EQ(drain(), (Bytes{0x40, 0x44, 0x36, 0x47, 0x05}));
    uint8_t value = 0xEE;
    EXPECT_EQ(CliReadSPIHTFromQueue(&value), 0);
    EXPECT_EQ(value, 0) << "empty queue";

    // More than one block: 600 bytes take two uploads, in order.
    std::string hex;
    for (int i = 0; i < 600; ++i) hex += "3" + std::to_string(i % 10);
    targetSends(hex);
    CliUploadFIFO(&result);
    EXPECT_EQ(CliGetSPIHTQueueCounter(), 512);
    CliUploadFIFO(&result);
    const Bytes all = drain();
    ASSERT_EQ(all.size(), 600u);
    EXPECT_EQ(all[599], '9');
}

TEST_F(TraceTerminalExports, DownFifoWritesReportWhatTheDeviceKept)
{
    start();
    Bytes data(255, 0x11);
    EXPECT_EQ(CliWriteToSPIHTdFIFO(data.data(), 255), 255);
    EXPECT_EQ(CliWriteToSPIHTdFIFO(data.data(), 245), 245);
    EXPECT_EQ(CliWriteToSPIHTdFIFO(data.data(), 20), 12) << "512 bytes of room";
    uint8_t level = 0;
    EXPECT_EQ(CliReadSPIHTReg(10, &level), 255) << "register 2, as min(level, 255)";

    sim().clearLog(0);
    CliWriteSPIHTReg(9, 0x42);
    EXPECT_EQ(sim().commandFrames(0).at(0), (Bytes{0x51, 0x01, 0x00, 0x42, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(TraceTerminalExports, DirectPacketReadTakesTheHeaderFromTheFirstByte)
{
    start();
    targetSends("856162");  // more follows; the header counts five, three arrived
    uint8_t data[8] = {};
    uint8_t length = 4, more = 0;
    CliReadFromSPIHTuFIFO(data, &length, &more);
    EXPECT_EQ(length, 2) << "only what arrived is copied";
    EXPECT_EQ(more, 1);
    EXPECT_EQ(Bytes(data, data + 2), (Bytes{'a', 'b'}));

    targetSends("0378797a");  // a packet of three: two data bytes
    length = 100;
    CliReadFromSPIHTuFIFO(data, &length, &more);
    EXPECT_EQ(length, 2);
    EXPECT_EQ(more, 0);
    EXPECT_EQ(Bytes(data, data + 2), (Bytes{'x', 'y'})) << "nothing past the packet";
    length = 0;
    CliReadFromSPIHTuFIFO(data, &length, &more);
    EXPECT_EQ(length, 0);
}

TEST_F(TraceTerminalExports, TraceRingKeepsItsLimitAndRegister0x60GoesThroughZeldev)
{
    start();
    Bytes buffer(0x20000, 0);
    int result = -1;
    uint32_t length = 0x10000;
    CliGetSPITrace(&result, buffer.data(), &length, 0x20000);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(length, 0x10000u) << "room for one more read";
    length = 0x10001;
    CliGetSPITrace(&result, buffer.data(), &length, 0x20000);
    EXPECT_EQ(length, 0u);
    sim().control("target 0 9f 3");
    CliGetSPITrace(&result, buffer.data(), &length, 0x20000);
    EXPECT_EQ(length, 16u);
    EXPECT_EQ(buffer[10], 0x9F) << "the command record's opcode";

    sim().clearLog(0);
    length = 8;
    CliGetSPITrace(&result, buffer.data(), &length, 0xFFFF);
    EXPECT_EQ(result, 0) << "no room for one read";
    EXPECT_TRUE(sim().commandFrames(0).empty());

    sim().control("set-reg 1 0x60 0x0f");
    CliEnableZelmorProSPITrace(0x01);
    EXPECT_EQ(sim().reg(1, 0x60), 0x1F);
    CliEnableZelmorProSPITrace(0x02);
    EXPECT_EQ(sim().reg(1, 0x60), 0x2F);
    CliSetOperationLog(1);
    EXPECT_EQ(sim().reg(1, 0x60), 0x00);
    CliSetOperationLog(0);
    EXPECT_EQ(sim().reg(0, 0x60), 0x15);

    sim().clearLog(0);
    CliResetLogCounter();
    EXPECT_EQ(sim().commandFrames(0).at(0).at(0), 0xBD);
}

// Polls (bounded) until the target script has ended.
void waitForTarget(SimProcess& sim)
{
    for (int i = 0; i < 500 && sim.control("target-status 0").rfind("running=1", 0) == 0; ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_EQ(sim.control("target-status 0").rfind("running=0", 0), 0u) << "the script did not end";
}

std::string script(const char* name) { return std::string(ZEL_SIM_SCRIPTS) + "/" + name; }

TEST_F(TraceTerminalExports, ScriptedTargetBootIsCapturedAndItsChatArrivesWhole)
{
    start();
    CliResetLogCounter();
    sim().control("target-run 0 " + script("boot.zts"));
    waitForTarget(sim());
    Bytes trace(0x20000, 0);
    uint32_t length = 0;
    int result = 0;
    CliGetSPITraceData(&result, trace.data(), &length);
    ASSERT_EQ(result, 1);
    Bytes opcodes;  // every transaction: a timestamp record, then its command record
    for (size_t at = 8; at < length; at += 8)
        if (trace[at - 8] == 0xFF && trace[at - 7] == 0xFF)
            opcodes.push_back(trace[at + 2]);
    EXPECT_EQ(opcodes, (Bytes{0xAB, 0x9F, 0x5A, 0x05, 0x03, 0x0B, 0xE5}));

    Bytes down{'p', 'i', 'n', 'g'};
    EXPECT_EQ(CliWriteToSPIHTdFIFO(down.data(), 4), 4);
    sim().control("target-run 0 " + script("chat.zts"));
    waitForTarget(sim());
    EXPECT_EQ(sim().control("target-status 0"), "running=0 steps=5 passes=1 skipped=0\n");
    EXPECT_NE(sim().control("terminal 0").find("received=70696e67"), std::string::npos);
    for (int before = -1, ok = 0; before != CliGetSPIHTQueueCounter();) {
        before = CliGetSPIHTQueueCounter();
        CliUploadFIFO(&ok);
        ASSERT_EQ(ok, 1);
    }
    Bytes text = drain();
    const std::string all(text.begin(), text.end());
    EXPECT_NE(all.find("boot: hello from the target"), std::string::npos);
    EXPECT_NE(all.find("Hello, host!"), std::string::npos);
    EXPECT_EQ(all.substr(all.size() - 23), std::string("\x40\x44\x36\x47\x05\x11") + "7 bytes read back");
}

TEST_F(TraceTerminalExports, UnplugDuringATerminalSessionFailsTheUploadWithoutQueueing)
{
    start(300ms);
    targetSends("41");
    sim().control("stall 0 on");
    auto pending = std::async(std::launch::async, [] {
        int result = -1;
        CliUploadFIFO(&result);
        return result;
    });
    sim().control("unplug 0");
    ASSERT_EQ(pending.wait_for(30s), std::future_status::ready) << "the call must not hang";
    EXPECT_EQ(pending.get(), 0);
    EXPECT_TRUE(CliCheckSPIHyperTerminalQueueIsEmpty());
    uint8_t data[4] = {'k', 'k', 'k', 'k'};
    EXPECT_EQ(CliWriteToSPIHTdFIFO(data, 4), 0);
}

}  // namespace
}  // namespace zel::test
