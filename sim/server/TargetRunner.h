// The simulated target firmware of one device: a thread that plays a target script on the
// device's target bus at a set rate, for a set number of passes or until stopped. Terminal
// messages go through the op-codes the device is set to (register 0x82, else the window when
// 0x83 = 1) and wait for room in the uFIFO, as firmware polling the level would; a message the
// target cannot reach the terminal with is skipped and counted.
#pragma once

#include "server/DeviceSlot.h"
#include "target/TargetScript.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace zel::sim {

class FrameDevice;

class TargetRunner {
public:
    struct Plan {
        std::vector<target::ScriptStep> steps;
        double rate = 0;      // steps a second; 0: as fast as the bus goes
        uint64_t passes = 1;  // 0: until stopped
        unsigned chipSlot = 0;
    };

    explicit TargetRunner(DeviceSlot& slot) : slot_(slot) {}
    ~TargetRunner() { stop(); }
    TargetRunner(const TargetRunner&) = delete;
    TargetRunner& operator=(const TargetRunner&) = delete;

    // Stops a run in progress first.
    void start(Plan plan);
    void stop();
    // running=0|1 steps=N passes=N skipped=N
    std::string status() const;

private:
    void run(Plan plan);
    // False when the step has to wait (no room in the uFIFO yet).
    bool perform(FrameDevice& device, const target::ScriptStep& step, unsigned chipSlot);

    DeviceSlot& slot_;
    std::thread thread_;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> running_{false};
    std::atomic<uint64_t> steps_{0};
    std::atomic<uint64_t> passes_{0};
    std::atomic<uint64_t> skipped_{0};
    uint32_t transaction_ = 0;  // the run thread's `{n}`
};

}  // namespace zel::sim
