#include <gtest/gtest.h>

#include <boost/program_options/errors.hpp>

#include "HexValue.h"
#include "Options.h"

namespace zel::test {
namespace {

using zel::cmd::parseHexValue;
using zel::cmd::parseOptions;
namespace po = boost::program_options;

zel::cmd::Options parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "zelcmd");
    return parseOptions(arguments);
}

std::string parseError(std::vector<std::string> arguments) {
    try {
        parse(std::move(arguments));
    } catch (const po::error& error) {
        return error.what();
    }
    return "";
}

TEST(Options, ShortLongAndPrefixNamesReachTheSameOption) {
    const auto options = parse({"-d", "a.bin", "--ver", "--stop", "-g", "2", "--hold", "1", "--enter-4", "2"});
    EXPECT_EQ(options.download, "a.bin");
    EXPECT_TRUE(options.verify);
    EXPECT_TRUE(options.stop);
    EXPECT_FALSE(options.start);
    EXPECT_TRUE(options.targetTwo());
    EXPECT_EQ(options.hold, 1u);
    EXPECT_EQ(options.enter4ByteMode, 2u);
}

TEST(Options, DefaultsOfTargetAndHold) {
    const auto options = parse({"--stop"});
    EXPECT_EQ(options.target, 1u);
    EXPECT_EQ(options.hold, 3u);
    EXPECT_FALSE(options.reset.has_value());
    EXPECT_FALSE(options.device.has_value());
}

TEST(Options, RejectedCommandLinesCarryTheLibraryText) {
    EXPECT_EQ(parseError({"--s"}), "option '--s' is ambiguous and matches '--set', '--start', '--stop', and '--sum'");
    EXPECT_EQ(parseError({"--set", "A", "--set", "B"}), "option '--set' cannot be specified more than once");
    EXPECT_EQ(parseError({"--device", "one"}), "the argument ('one') for option '--device' is invalid");
    EXPECT_EQ(parseError({"--bogus"}), "unrecognised option '--bogus'");
    EXPECT_EQ(parseError({"-d"}), "the required argument for option '--download' is missing");
    // There are two emulated chips: a third would set chip 1 and be reported as chip 3.
    EXPECT_EQ(parseError({"-g", "3"}), "the argument ('3') for option '--target' is invalid");
    EXPECT_EQ(parseError({"--target", "0"}), "the argument ('0') for option '--target' is invalid");
}

TEST(HexValue, PrefixIsOptionalAndJunkGivesZero) {
    EXPECT_EQ(parseHexValue("100"), 0x100u);
    EXPECT_EQ(parseHexValue("0x100"), 0x100u);
    EXPECT_EQ(parseHexValue("0XaB"), 0xABu);
    EXPECT_EQ(parseHexValue("zz"), 0u);
    EXPECT_EQ(parseHexValue(""), 0u);
    EXPECT_EQ(parseHexValue("80000000"), 0x80000000u);
    EXPECT_EQ(parseHexValue("123456789"), 0xFFFFFFFFu);
}

TEST(Options, HelpListsTheThreeGroupsInOrder) {
    const auto help = zel::cmd::helpText();
    EXPECT_EQ(help.rfind("Help\nExample:\n zelcmd --stop --set M25P80 -d x:\\file.bin -v --start\nRemark:\n -b, -r, "
                         "-d, -s have to work with --set\n",
                         0),
              0u);
    const auto basic = help.find("Basic Switches:");
    const auto optional = help.find("Optional Switches:");
    const auto misc = help.find("Miscellaneous options:");
    ASSERT_NE(basic, std::string::npos);
    EXPECT_LT(basic, optional);
    EXPECT_LT(optional, misc);
    EXPECT_NE(help.find("-g [ --target ] arg (=1)"), std::string::npos);
    EXPECT_NE(help.find("--hold arg (=3)"), std::string::npos);
    for (size_t start = 0, end; (end = help.find('\n', start)) != std::string::npos; start = end + 1) {
        EXPECT_LE(end - start, 80u) << help.substr(start, end - start);
    }
}

}  // namespace
}  // namespace zel::test
