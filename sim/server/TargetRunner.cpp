#include "server/TargetRunner.h"

#include "device/FrameDevice.h"

#include <chrono>

namespace zel::sim {
namespace {

using Clock = std::chrono::steady_clock;
constexpr uint64_t kBatchSteps = 512;     // at most this many steps hold the model lock at once
constexpr uint64_t kMinBatchSteps = 256;  // a paced run waits until this many (or 1 ms worth) are due
constexpr auto kWaitForRoom = std::chrono::microseconds(100);

// How the target reaches the terminal now: the dedicated op-code, the window, or not at all.
std::vector<uint8_t> terminalPrefix(const FpgaRegisters& registers, uint8_t function, bool fourByte) {
    if (const auto opcode = registers.read(HyperTerminal::kCommandRegister); opcode != 0)
        return {static_cast<uint8_t>(opcode), function};
    if (registers.read(HyperTerminal::kPageProgramRegister) != 1) return {};
    const uint8_t command = function == target::TerminalPort::Upload ? 0x02 : 0x03;
    std::vector<uint8_t> prefix{command};
    if (fourByte) prefix.push_back(0xFF);
    prefix.insert(prefix.end(), {0xFF, static_cast<uint8_t>(0xF0 | function), 0x00});
    return prefix;
}

}  // namespace

void TargetRunner::start(Plan plan) {
    stop();
    stopRequested_ = false;
    steps_ = passes_ = skipped_ = 0;
    running_ = true;
    thread_ = std::thread([this, plan = std::move(plan)]() mutable { run(std::move(plan)); });
}

void TargetRunner::stop() {
    stopRequested_ = true;
    if (thread_.joinable()) thread_.join();
    running_ = false;
}

std::string TargetRunner::status() const {
    return "running=" + std::to_string(running_ ? 1 : 0) + " steps=" + std::to_string(steps_) +
           " passes=" + std::to_string(passes_) + " skipped=" + std::to_string(skipped_) + "\n";
}

bool TargetRunner::perform(FrameDevice& device, const target::ScriptStep& step, unsigned chipSlot) {
    auto& bus = device.targetBus();
    if (step.kind == target::ScriptStep::Kind::Spi) {
        if (step.counterAt.empty()) {
            bus.transact(chipSlot, step.bytes, step.readLength);
        } else {
            auto mosi = step.bytes;
            for (size_t at : step.counterAt)
                for (int i = 0; i < 4; ++i) mosi[at + static_cast<size_t>(i)] = static_cast<uint8_t>(transaction_ >> (24 - 8 * i));
            bus.transact(chipSlot, mosi, step.readLength);
        }
        ++transaction_;
        return true;
    }
    const bool upload = step.kind == target::ScriptStep::Kind::Message;
    auto mosi = terminalPrefix(device.fpga(), upload ? target::TerminalPort::Upload : target::TerminalPort::Download,
                               bus.fourByteMode(chipSlot));
    if (mosi.empty() || !bus.chipPresent(chipSlot)) {
        ++skipped_;
        return true;
    }
    if (upload) {
        if (HyperTerminal::kUpCapacity - device.terminal().upLevel() < step.bytes.size()) return false;
        mosi.insert(mosi.end(), step.bytes.begin(), step.bytes.end());
        bus.transact(chipSlot, mosi, 0);
    } else {
        bus.transact(chipSlot, mosi, step.readLength + 1);
    }
    ++transaction_;
    return true;
}

// Steps are played in batches under the model lock; the clock is read once a batch (reading it
// costs more than a step on some virtual machines).
void TargetRunner::run(Plan plan) {
    auto& device = dynamic_cast<FrameDevice&>(slot_.model());  // the model outlives its power cycles
    const auto started = Clock::now();
    uint64_t done = 0;
    size_t next = 0;
    while (!stopRequested_ && (plan.passes == 0 || passes_ < plan.passes)) {
        uint64_t budget = kBatchSteps;
        if (plan.rate > 0) {
            const double elapsed = std::chrono::duration<double>(Clock::now() - started).count();
            const auto due = static_cast<uint64_t>(elapsed * plan.rate);
            const uint64_t batch = std::max<uint64_t>(1, std::min<uint64_t>(kMinBatchSteps, static_cast<uint64_t>(plan.rate / 1000)));
            if (due < done + batch) {  // wait for a batch's worth rather than hand the lock over every few steps
                const auto wait = std::chrono::duration<double>((done + batch) / plan.rate - elapsed);
                std::this_thread::sleep_for(std::min<std::chrono::duration<double>>(wait, std::chrono::milliseconds(50)));
                continue;
            }
            budget = std::min(budget, due - done);
        }
        bool waiting = !slot_.state().plugged;  // no power: the target is not running either
        if (!waiting) {
            std::lock_guard lock(slot_.modelMutex());
            for (uint64_t i = 0; i < budget && !stopRequested_; ++i) {
                if (!perform(device, plan.steps[next], plan.chipSlot)) {
                    waiting = true;
                    break;
                }
                ++done;
                ++steps_;
                if (++next == plan.steps.size()) {
                    next = 0;
                    if (++passes_ == plan.passes) break;
                }
            }
        }
        if (waiting) std::this_thread::sleep_for(kWaitForRoom);
        else if (plan.rate <= 0) std::this_thread::yield();  // flat out: a USB transfer waiting for the model goes first
    }
    running_ = false;
}

}  // namespace zel::sim
