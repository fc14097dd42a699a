// The logic waveform the exports draw from captured transactions, one byte a sample:
// bit 0 CS (active low), 1 CLK, 2 MOSI/IO0, 3 MISO/IO1, 4 IO2, 5 IO3.
//
// The clock is synthesised, since the records keep bytes and start times but not edges: SPI
// mode 0 (CLK idles low, data changes while it is low and is valid at the rising edge) at
// 50 MHz, sampled at 100 MHz, so one sample is one 10 ns tick of the record timestamps. Each
// transaction starts at its timestamp, except that the idle time before it is at least
// kMinIdleSamples and at most the gap cap (long pauses are shortened, so a capture that waits
// seconds between bursts stays small); the cap is written into the exported files. Lines the
// phase does not drive idle high.
#pragma once

#include "BusPlan.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace zel::traceexport {

inline constexpr uint64_t kSampleRateHz = 100'000'000;
inline constexpr uint32_t kSamplesPerClock = 2;
inline constexpr uint32_t kMinIdleSamples = 4;
inline constexpr uint32_t kDefaultGapCapSamples = 100;  // 1 us

inline constexpr std::array<std::string_view, 6> kChannelNames = {"CS", "CLK", "MOSI/IO0", "MISO/IO1", "IO2", "IO3"};
inline constexpr uint8_t kCsBit = 0x01, kClkBit = 0x02;
inline constexpr uint8_t kIdleSample = 0x3D;  // CS high, CLK low, data lines high

// Samples the bytes of one transaction take while CS is low (setup, the clocks, hold).
uint64_t activeSamples(std::span<const uint8_t> bytes, const BusPlan& plan);

// Appends the samples of transactions, in order, to `out`. Count-only when `out` is empty (the
// session writer counts first to know how many chunks it will write).
class WaveformBuilder {
public:
    using PlanFor = std::function<const BusPlan&(uint8_t opcode)>;
    using Out = std::function<void(std::span<const uint8_t>)>;

    WaveformBuilder(PlanFor planFor, uint32_t gapCap, Out out);

    // One transaction starting at `ticks` (10 ns), its bus bytes in order (opcode first).
    void transaction(uint64_t ticks, std::span<const uint8_t> bytes);
    // Trailing idle after the last transaction.
    void finish();
    uint64_t samples() const { return samples_; }

private:
    void idle(uint64_t count);
    void drive(std::span<const uint8_t> bytes, const BusPlan& plan);
    void emit(std::span<const uint8_t> samples);

    PlanFor planFor_;
    uint32_t gapCap_;
    Out out_;
    uint64_t samples_ = 0;
    bool first_ = true;
    uint64_t lastTicks_ = 0, lastActive_ = 0;
};

}  // namespace zel::traceexport
