// The serprog session against a scripted stream: what flashrom's programmer set-up asks, SPI
// operations, and requests it must refuse without losing step.
#include "target/SerprogSession.h"

#include <gtest/gtest.h>

#include <deque>

namespace zel::sim::target {
namespace {

using Bytes = std::vector<uint8_t>;

class ScriptedStream final : public SerprogStream {
public:
    explicit ScriptedStream(Bytes input) : input_(input.begin(), input.end()) {}
    bool read(std::span<uint8_t> into) override {
        if (into.size() > input_.size()) return false;
        for (auto& b : into) {
            b = input_.front();
            input_.pop_front();
        }
        return true;
    }
    bool write(std::span<const uint8_t> bytes) override {
        output.insert(output.end(), bytes.begin(), bytes.end());
        return true;
    }
    Bytes output;

private:
    std::deque<uint8_t> input_;
};

struct Operation {
    Bytes mosi;
    size_t readLength;
};

// Runs the session over `input`; returns what it sent back.
Bytes serve(Bytes input, std::vector<Operation>* seen = nullptr, bool busBusy = false) {
    ScriptedStream stream(std::move(input));
    SerprogSession session(stream, [&](std::span<const uint8_t> mosi, size_t readLength) -> std::optional<Bytes> {
        if (seen) seen->push_back({Bytes(mosi.begin(), mosi.end()), readLength});
        if (busBusy) return std::nullopt;
        Bytes miso(readLength);
        for (size_t i = 0; i < readLength; ++i) miso[i] = static_cast<uint8_t>(0xB0 + i);
        return miso;
    });
    session.run();
    return stream.output;
}

constexpr uint8_t ACK = SerprogSession::kAck, NAK = SerprogSession::kNak;

TEST(TargetSerprogSession, AnswersTheQueriesOfAProgrammerSetUp) {
    EXPECT_EQ(serve({0x00, 0x10}), (Bytes{ACK, NAK, ACK})) << "NOP, then SYNCNOP's NAK+ACK";
    EXPECT_EQ(serve({0x01}), (Bytes{ACK, 1, 0})) << "interface version 1";
    EXPECT_EQ(serve({0x05}), (Bytes{ACK, 0x08})) << "SPI only";
    EXPECT_EQ(serve({0x08, 0x11}), (Bytes{ACK, 0x00, 0x00, 0x01, ACK, 0x00, 0x00, 0x01})) << "64 KiB each way";

    const auto name = serve({0x03});
    ASSERT_EQ(name.size(), 17u);
    EXPECT_EQ(name[0], ACK);
    EXPECT_EQ(name[16], 0) << "NUL padded";

    const auto map = serve({0x02});
    ASSERT_EQ(map.size(), 33u);
    auto supported = [&](uint8_t c) { return (map[1 + c / 8] >> (c % 8)) & 1; };
    for (uint8_t c : {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x08, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16})
        EXPECT_TRUE(supported(c)) << int(c);
    for (uint8_t c : {0x06, 0x07, 0x09, 0x0A, 0x0B, 0x0F, 0x17, 0xFF}) EXPECT_FALSE(supported(c)) << int(c);
}

TEST(TargetSerprogSession, SettingsAcceptWhatTheBusCanDo) {
    EXPECT_EQ(serve({0x12, 0x08, 0x12, 0x01}), (Bytes{ACK, NAK})) << "SPI yes, parallel no";
    EXPECT_EQ(serve({0x14, 0x40, 0x42, 0x0F, 0x00}), (Bytes{ACK, 0x40, 0x42, 0x0F, 0x00})) << "1 MHz kept";
    EXPECT_EQ(serve({0x14, 0x00, 0xE1, 0xF5, 0x05}), (Bytes{ACK, 0x80, 0xF0, 0xFA, 0x02})) << "100 MHz: 50 MHz";
    EXPECT_EQ(serve({0x14, 0, 0, 0, 0, 0x00}), (Bytes{NAK, ACK})) << "0 Hz refused, stream still in step";
    EXPECT_EQ(serve({0x15, 0x01, 0x16, 0x00, 0x16, 0x01}), (Bytes{ACK, ACK, NAK}));
}

TEST(TargetSerprogSession, SpiOperationsReachTheBusAndOversizedOnesAreRefusedInStep) {
    std::vector<Operation> seen;
    EXPECT_EQ(serve({0x13, 0x01, 0, 0, 0x03, 0, 0, 0x9F}, &seen), (Bytes{ACK, 0xB0, 0xB1, 0xB2}));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].mosi, Bytes{0x9F});
    EXPECT_EQ(seen[0].readLength, 3u);

    // Write length 0x010001 (one more than allowed): its data is consumed, then NOP still works.
    seen.clear();
    Bytes input{0x13, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00};
    input.resize(input.size() + 0x10001, 0xEE);
    input.push_back(0x00);
    EXPECT_EQ(serve(input, &seen), (Bytes{NAK, ACK}));
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(serve({0x13, 0, 0, 0, 0x01, 0x00, 0x01, 0x00}), (Bytes{NAK, ACK})) << "read too long";

    EXPECT_EQ(serve({0x13, 0x01, 0, 0, 0x01, 0, 0, 0x05}, nullptr, true), Bytes{NAK}) << "bus cannot take it";
    // A connection that ends inside a command ends the session quietly.
    EXPECT_EQ(serve({0x13, 0x05, 0, 0, 0x00, 0, 0, 0x02}), Bytes{});
}

}  // namespace
}  // namespace zel::sim::target
