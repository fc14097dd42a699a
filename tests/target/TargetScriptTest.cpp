// Target scripts: the steps a line makes, and errors that name their line.
#include "target/TargetScript.h"

#include <gtest/gtest.h>

namespace zel::sim::target::test {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(TargetScript, StepsCarryTheirBytesCounterPlacesAndMessageFraming) {
    const auto steps = parseTargetScript("# boot\n"
                                         "spi 0b{n}00 4   # numbered\n"
                                         "\n"
                                         "msg 5 text a # b\n"
                                         "msg 4 hex 0102\n"
                                         "recv 16\n");
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[0].bytes, (Bytes{0x0B, 0, 0, 0, 0, 0x00}));
    EXPECT_EQ(steps[0].counterAt, std::vector<size_t>{1});
    EXPECT_EQ(steps[0].readLength, 4u);
    EXPECT_EQ(steps[1].bytes, (Bytes{0x40, 0x44, 0x36, 0x47, 5, 5, 'a', ' ', '#', ' ', 'b'})) << "text runs to the line end";
    EXPECT_EQ(steps[2].bytes, (Bytes{0x40, 0x44, 0x36, 0x47, 4, 2, 1, 2}));
    EXPECT_EQ(steps[3].kind, ScriptStep::Kind::Receive);
    EXPECT_EQ(steps[3].readLength, 16u);
}

TEST(TargetScript, ErrorsNameTheLine) {
    auto error = [](const std::string& text) {
        try {
            parseTargetScript(text);
        } catch (const ScriptError& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(error("spi 9f 3\nspi 9 3\n"), "line 2: odd number of hex digits: 9");
    EXPECT_EQ(error("msg 8 text x\n"), "line 1: message types are 1 to 7");
    EXPECT_EQ(error("msg 5 text " + std::string(256, 'x') + "\n"), "line 1: a message carries at most 255 bytes");
    EXPECT_EQ(error("recv 0\n"), "line 1: recv takes 1 to 255");
    EXPECT_EQ(error("jump 3\n"), "line 1: unknown step jump");
    EXPECT_EQ(error("# nothing\n"), "the script has no steps");
}

}  // namespace
}  // namespace zel::sim::target::test
