// The waveform exports: each phase's bytes can be read back from the lines at the rising clock
// edges (single lane on MOSI or MISO, dual on IO1/IO0, quad on IO3..IO0), CS is low exactly
// while a transaction runs, pauses follow the timestamps up to the cap, and the session file
// holds sigrok's entries with the very samples the stream gives, split into chunks.
#include "SigrokSession.h"
#include "Waveform.h"

#include "TempDir.h"

#include <gtest/gtest.h>
#include <zip.h>

namespace zel::traceexport {
namespace {

constexpr uint8_t kIo0 = 0x04, kIo1 = 0x08, kIo2 = 0x10, kIo3 = 0x20;

std::vector<uint8_t> draw(const BusPlan& plan, const std::vector<std::pair<uint64_t, std::vector<uint8_t>>>& transactions,
                          uint32_t cap = kDefaultGapCapSamples) {
    std::vector<uint8_t> samples;
    WaveformBuilder builder([&](uint8_t) -> const BusPlan& { return plan; }, cap,
                            [&](std::span<const uint8_t> s) { samples.insert(samples.end(), s.begin(), s.end()); });
    for (const auto& [ticks, bytes] : transactions) builder.transaction(ticks, bytes);
    builder.finish();
    EXPECT_EQ(builder.samples(), samples.size());
    return samples;
}

// The line states at each rising clock edge while CS is low.
std::vector<uint8_t> edges(const std::vector<uint8_t>& samples) {
    std::vector<uint8_t> at;
    for (size_t i = 1; i < samples.size(); ++i)
        if ((samples[i] & kClkBit) && !(samples[i - 1] & kClkBit) && !(samples[i] & kCsBit)) at.push_back(samples[i]);
    return at;
}

// Bytes read back from edges, `bitsPerEdge` lines at a time, most significant first.
std::vector<uint8_t> readBack(const std::vector<uint8_t>& at, size_t& next, size_t count, int lanes, bool fromChip) {
    std::vector<uint8_t> bytes;
    for (size_t n = 0; n < count; ++n) {
        unsigned value = 0;
        for (int clock = 0; clock < 8 / lanes; ++clock) {
            const uint8_t s = at[next++];
            if (lanes == 1) value = value << 1 | ((s & (fromChip ? kIo1 : kIo0)) != 0);
            else if (lanes == 2) value = value << 2 | ((s & kIo1) ? 2 : 0) | ((s & kIo0) ? 1 : 0);
            else value = value << 4 | ((s & kIo3) ? 8 : 0) | ((s & kIo2) ? 4 : 0) | ((s & kIo1) ? 2 : 0) | ((s & kIo0) ? 1 : 0);
        }
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

TEST(Waveform, EachPhaseTravelsOnItsLanes) {
    // A quad I/O read: opcode on MOSI, address and dummy on four lanes, data on two; then a
    // single-lane read whose data comes on MISO.
    const BusPlan quad{{{1, 1, false}, {3, 4, false}, {1, 4, false}, {0, 2, true}}};
    const std::vector<uint8_t> bytes{0xEB, 0x12, 0x34, 0x56, 0xFF, 0xA5, 0x3C, 0x81};
    const auto at = edges(draw(quad, {{0, bytes}}));
    size_t next = 0;
    EXPECT_EQ(readBack(at, next, 1, 1, false), std::vector<uint8_t>{0xEB});
    EXPECT_EQ(readBack(at, next, 4, 4, false), (std::vector<uint8_t>{0x12, 0x34, 0x56, 0xFF}));
    EXPECT_EQ(readBack(at, next, 3, 2, true), (std::vector<uint8_t>{0xA5, 0x3C, 0x81}));
    EXPECT_EQ(next, at.size());

    const BusPlan read{{{4, 1, false}, {0, 1, true}}};
    const std::vector<uint8_t> readBytes{0x03, 0x00, 0x10, 0x00, 0xC3, 0x5A};
    const auto samples = draw(read, {{0, readBytes}});
    const auto readEdges = edges(samples);
    next = 0;
    EXPECT_EQ(readBack(readEdges, next, 4, 1, false), (std::vector<uint8_t>{0x03, 0x00, 0x10, 0x00}));
    EXPECT_EQ(readBack(readEdges, next, 2, 1, true), (std::vector<uint8_t>{0xC3, 0x5A}));
    for (size_t i = kMinIdleSamples + 1; i < kMinIdleSamples + 1 + 4 * 16; ++i) {
        EXPECT_TRUE(samples[i] & kIo1) << "MISO idles high while the master talks, sample " << i;
    }
}

TEST(Waveform, PausesFollowTheTimestampsUpToTheCap) {
    const BusPlan plan = BusPlan::masterOnly();
    const std::vector<uint8_t> one{0x06};
    const uint64_t active = activeSamples(one, plan);  // setup, 8 clocks, hold
    ASSERT_EQ(active, 18u);
    // Starts 50 ticks apart leave 32 idle samples; 10,000 apart are cut to the cap of 100.
    const auto samples = draw(plan, {{1000, one}, {1050, one}, {11050, one}}, 100);
    std::vector<size_t> lows;  // lengths of the CS-low stretches and the idle ones between
    std::vector<size_t> highs;
    for (size_t i = 0, run = 0; i < samples.size(); ++i) {
        ++run;
        const bool last = i + 1 == samples.size() || ((samples[i] ^ samples[i + 1]) & kCsBit);
        if (last) ((samples[i] & kCsBit) ? highs : lows).push_back(run), run = 0;
    }
    EXPECT_EQ(lows, (std::vector<size_t>{18, 18, 18}));
    EXPECT_EQ(highs, (std::vector<size_t>{kMinIdleSamples, 32, 100, kMinIdleSamples}));
}

// Records of `count` Read Data transactions of 250 bytes each.
std::vector<uint8_t> reads(int count) {
    std::vector<uint8_t> records;
    for (int t = 0; t < count; ++t) {
        const uint8_t seq = static_cast<uint8_t>(t % 254 + 1);
        records.insert(records.end(), {0xFF, 0xFF, 0, 0, 0, uint8_t(t >> 8), uint8_t(t), 0});
        records.insert(records.end(), {seq, 48, 0x03, 0, uint8_t(t), 0, 1, 2});
        for (int c = 0; c < 41; ++c)
            records.insert(records.end(), {seq, uint8_t(((c + 1) % 4) << 6 | 48), uint8_t(c), 1, 2, 3, 4, 5});
    }
    return records;
}

TEST(SigrokSession, HoldsSigrokEntriesWithTheStreamsSamplesInChunks) {
    const auto records = reads(1200);  // about 4.9 million samples: two chunks
    const BusPlan plan{{{4, 1, false}, {0, 1, true}}};
    auto reader = [&records](size_t& at) {
        return [&records, &at](std::span<uint8_t> out) {
            const size_t n = std::min(out.size() / 8 * 8, records.size() - at);
            std::copy_n(records.begin() + static_cast<long>(at), n, out.begin());
            at += n;
            return n;
        };
    };
    auto planFor = [&plan](uint8_t) -> const BusPlan& { return plan; };
    size_t counted = 0, streamed = 0, expected = 0;
    const uint64_t samples = countSamples(reader(counted), planFor, 100);
    ASSERT_GT(samples, kSessionChunkBytes);

    test::TempDir dir;
    SampleStream stream(reader(streamed), planFor, 100);
    const auto result = writeSigrokSession(dir / "t.sr", stream, samples, 100);
    ASSERT_TRUE(result.ok) << result.problem;

    int error = 0;
    zip_t* archive = zip_open((dir / "t.sr").c_str(), ZIP_RDONLY, &error);
    ASSERT_NE(archive, nullptr);
    auto entry = [archive](const char* name) {
        std::string bytes;
        if (zip_file_t* file = zip_fopen(archive, name, 0)) {
            char buffer[65536];
            for (zip_int64_t n; (n = zip_fread(file, buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<size_t>(n));
            zip_fclose(file);
        }
        return bytes;
    };
    EXPECT_EQ(entry("version"), "2");
    const std::string metadata = entry("metadata");
    for (const char* line : {"capturefile=logic-1\n", "total probes=6\n", "samplerate=100 MHz\n", "unitsize=1\n",
                             "probe1=CS\n", "probe3=MOSI/IO0\n", "probe4=MISO/IO1\n", "gap cap=100 samples"})
        EXPECT_NE(metadata.find(line), std::string::npos) << line;
    SampleStream again(reader(expected), planFor, 100);
    std::string whole(samples, '\0');
    ASSERT_EQ(again.read({reinterpret_cast<uint8_t*>(whole.data()), whole.size()}), samples);
    const std::string first = entry("logic-1-1"), second = entry("logic-1-2");
    EXPECT_EQ(first.size(), kSessionChunkBytes);
    EXPECT_TRUE(first + second == whole) << "the chunks hold the stream's samples in order";
    EXPECT_EQ(zip_name_locate(archive, "logic-1-3", 0), -1);
    zip_close(archive);
}

}  // namespace
}  // namespace zel::traceexport
