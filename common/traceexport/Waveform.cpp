#include "Waveform.h"

#include <algorithm>
#include <cstring>

namespace zel::traceexport {
namespace {

constexpr uint8_t kActiveIdle = kIdleSample & ~kCsBit;  // CS low, CLK low, lines high
constexpr uint8_t kIo0 = 0x04, kIo1 = 0x08, kIo2 = 0x10, kIo3 = 0x20;

// The samples one byte takes in each way it can travel: two per clock, data set while CLK is
// low and held while it is high.
struct ByteWave {
    uint8_t count = 0;
    std::array<uint8_t, 16> samples{};
};
enum Way { kFromMaster, kFromChip, kDual, kQuad, kWays };

uint8_t bit(uint8_t value, int index) { return static_cast<uint8_t>((value >> index) & 1); }

// The data lines of clock `clock` of `value` sent the given way.
uint8_t lines(Way way, uint8_t value, int clock) {
    switch (way) {
    case kFromMaster: return static_cast<uint8_t>((bit(value, 7 - clock) ? kIo0 : 0) | kIo1 | kIo2 | kIo3);
    case kFromChip: return static_cast<uint8_t>(kIo0 | (bit(value, 7 - clock) ? kIo1 : 0) | kIo2 | kIo3);
    case kDual:  // IO1 carries the odd bits, IO0 the even ones, most significant first
        return static_cast<uint8_t>((bit(value, 6 - 2 * clock) ? kIo0 : 0) | (bit(value, 7 - 2 * clock) ? kIo1 : 0) |
                                    kIo2 | kIo3);
    default:  // quad: IO3..IO0 carry a nibble a clock
        return static_cast<uint8_t>((value >> (4 - 4 * clock) & 0x0F) << 2);
    }
}

int clocksPerByte(Way way) { return way == kDual ? 4 : way == kQuad ? 2 : 8; }

const std::array<std::array<ByteWave, 256>, kWays>& waves() {
    static const auto table = [] {
        std::array<std::array<ByteWave, 256>, kWays> all{};
        for (int way = 0; way < kWays; ++way)
            for (int value = 0; value < 256; ++value) {
                auto& wave = all[way][value];
                const int clocks = clocksPerByte(static_cast<Way>(way));
                for (int clock = 0; clock < clocks; ++clock) {
                    const uint8_t data = lines(static_cast<Way>(way), static_cast<uint8_t>(value), clock);
                    wave.samples[wave.count++] = data;            // CLK low, CS low
                    wave.samples[wave.count++] = data | kClkBit;  // rising edge: sampled
                }
            }
        return all;
    }();
    return table;
}

Way wayOf(const BusPhase& phase) {
    if (phase.lanes >= 4) return kQuad;
    if (phase.lanes == 2) return kDual;
    return phase.fromChip ? kFromChip : kFromMaster;
}

// Walks the plan's phases along the bytes: the way each byte travels.
class PhaseWalk {
public:
    explicit PhaseWalk(const BusPlan& plan) : plan_(plan) {}
    Way next() {
        while (phase_ + 1 < plan_.phases.size() && used_ >= plan_.phases[phase_].bytes) {
            ++phase_;
            used_ = 0;
        }
        ++used_;
        return plan_.phases.empty() ? kFromMaster : wayOf(plan_.phases[phase_]);
    }

private:
    const BusPlan& plan_;
    size_t phase_ = 0;
    uint32_t used_ = 0;
};

}  // namespace

uint64_t activeSamples(std::span<const uint8_t> bytes, const BusPlan& plan) {
    uint64_t samples = 2;  // setup and hold
    PhaseWalk walk(plan);
    for (size_t i = 0; i < bytes.size(); ++i) samples += uint64_t{kSamplesPerClock} * clocksPerByte(walk.next());
    return samples;
}

WaveformBuilder::WaveformBuilder(PlanFor planFor, uint32_t gapCap, Out out)
    : planFor_(std::move(planFor)), gapCap_(std::max(gapCap, kMinIdleSamples)), out_(std::move(out)) {}

void WaveformBuilder::transaction(uint64_t ticks, std::span<const uint8_t> bytes) {
    if (bytes.empty()) return;
    const BusPlan& plan = planFor_(bytes[0]);
    uint64_t pause = kMinIdleSamples;
    if (!first_) {
        const uint64_t sinceStart = ticks > lastTicks_ ? ticks - lastTicks_ : 0;
        pause = sinceStart > lastActive_ ? sinceStart - lastActive_ : 0;
        pause = std::clamp<uint64_t>(pause, kMinIdleSamples, gapCap_);
    }
    idle(pause);
    const uint64_t active = activeSamples(bytes, plan);
    if (out_) drive(bytes, plan);
    else samples_ += active;
    first_ = false;
    lastTicks_ = ticks;
    lastActive_ = active;
}

void WaveformBuilder::finish() { idle(kMinIdleSamples); }

void WaveformBuilder::idle(uint64_t count) {
    static const auto idles = [] {
        std::array<uint8_t, 4096> all;
        all.fill(kIdleSample);
        return all;
    }();
    while (count > 0) {
        const auto n = static_cast<size_t>(std::min<uint64_t>(count, idles.size()));
        emit({idles.data(), n});
        count -= n;
    }
}

void WaveformBuilder::drive(std::span<const uint8_t> bytes, const BusPlan& plan) {
    std::array<uint8_t, 4096> staged;
    size_t used = 0;
    staged[used++] = kActiveIdle;
    PhaseWalk walk(plan);
    const auto& table = waves();
    for (const uint8_t value : bytes) {
        const ByteWave& wave = table[walk.next()][value];
        if (used + wave.count + 1 > staged.size()) {
            emit({staged.data(), used});
            used = 0;
        }
        std::memcpy(staged.data() + used, wave.samples.data(), wave.count);
        used += wave.count;
    }
    staged[used++] = kActiveIdle;
    emit({staged.data(), used});
}

void WaveformBuilder::emit(std::span<const uint8_t> samples) {
    samples_ += samples.size();
    if (out_) out_(samples);
}

}  // namespace zel::traceexport
