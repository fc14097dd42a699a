// The help listing and the option layer's errors, against the option table built here with the
// same option library at a line width of 80.
#include "ZelcmdTestEnv.h"

#include <boost/program_options.hpp>

#include <fstream>
#include <iterator>
#include <sstream>

namespace zel::test {
namespace {

namespace po = boost::program_options;

struct OptionTable {
    po::options_description basic{"Basic Switches", 80};
    po::options_description optional{"Optional Switches", 80};
    po::options_description misc{"Miscellaneous options", 80};
    po::options_description all{80};

    OptionTable() {
        basic.add_options()
            ("help,h", "show this help message")
            ("set", po::value<std::string>(), "set chip type")
            ("stop", "stop the emulation mode")
            ("start", "start the emulation mode")
            ("check,c", "check the emulator status and the emulator firmware")
            ("blank,b", "blank check the emulator contents")
            ("read,r", po::value<std::string>(),
             "read the emulator contents and save to a bin/hex/s19 file\n- use STDOUT to the console.")
            ("download,d", po::value<std::string>(), "download a file to the emulator")
            ("sum,s", "display the downloaded content checksum")
            ("fsum,f", po::value<std::string>(), "display the file checksum(needs to work with a file)")
            ("device", po::value<unsigned>(),
             "(work with all Basic Switches)\n- 1: activate only the programmer connected to USB1\n- n: activate "
             "only the programmer connected to USBn\n   NOTE: if \"--device\" is not used, the command will be "
             "executed with the same chip type and file on all connected programmer.")
            ("list-device-id", po::value<unsigned>(),
             " 0 : List all ID of programmers from USB1 to USBn (Default)\n   NOTE: the sequence is assigned by OS "
             "during USB plug-in\n- 1: Prompt the device ID of programmer connected to USB1.\n- n: Prompt the "
             "device ID of programmer connected to USBn.")
            ("update-fw", po::value<std::string>(), "Update ZelmorPro firmware")
            ("download-RPMC", po::value<std::string>(), "Download RPMC table to ZelmorPro(needs to work with a file)");
        optional.add_options()
            ("verify,v", "verify file and emulator contents\n- only works with -d")
            ("addr,a", po::value<std::string>(), "starting address(e.g. -d x:\\file.bin -a 0x000)\n- only works with -d -r")
            ("length,l", po::value<std::string>(),
             "length to read/download in bytes(e.g. -r x:\\file.bin -l 0x10000)\n- only works with -d -r")
            ("fill,x", po::value<std::string>(),
             "fill the rest area with [byte] data(e.g. -d x:\\file.bin -x 0xAA)\n- only works with -d")
            ("truncate,t", "Truncate file to chip size if the file size bigger than chip size\n- only works with -d");
        misc.add_options()
            ("target,g", po::value<unsigned>()->default_value(1),
             "Target Options \nAvailable values: \n    1, Chip 1(Default)\n    2, Chip 2")
            ("hold", po::value<unsigned>()->default_value(3),
             "Hold Pin Status While Emulation\n- only works with --start\n    1, Default Low\n    2, Input by "
             "default\n    3, Floating by default(default)")
            ("reset", po::value<unsigned>(),
             "Reset the Target system\n    1, Disable reset function(Default)\n    2, Enable reset function")
            ("noisy,n", "Appear  the display of real-time timer counting")
            ("enter-4byte-mode", po::value<unsigned>(),
             "Number of address bytes during command entry\n    1, Disable(Default)\n    2, Enable");
        all.add(basic).add(optional).add(misc);
    }

    std::string listing() const {
        std::ostringstream text;
        text << all;
        return text.str();
    }

    // The option library's own complaint about args, as zelcmd must print it.
    std::string errorLine(std::vector<std::string> args) const {
        std::vector<const char*> argv{"zelcmd"};
        for (auto& a : args) argv.push_back(a.c_str());
        try {
            po::variables_map map;
            po::store(po::parse_command_line(static_cast<int>(argv.size()), argv.data(), all), map);
            po::notify(map);
        } catch (const std::exception& e) {
            return std::string("error: ") + e.what() + "\n";
        }
        return "(accepted)";
    }
};

std::string expectedHelp() {
    return "Help\nExample:\n zelcmd --stop --set M25P80 -d x:\\file.bin -v --start\nRemark:\n -b, -r, -d, -s have "
           "to work with --set\n" +
           OptionTable().listing() + "\n";
}

class HelpAndParse : public ZelcmdTest {};

TEST_F(HelpAndParse, HelpListsTheOptionTableWithoutAnyDevice) {
    for (const auto& args : {std::vector<std::string>{}, {"--help"}, {"-h"}, {"--stop", "-h"}}) {
        auto r = zelcmd(args);
        ASSERT_TRUE(r.exited()) << describe(r);
        EXPECT_EQ(r.status, 0) << describe(r);
        EXPECT_EQ(r.out, expectedHelp()) << "args: " << args.size();
        EXPECT_EQ(r.err, "");
        // Help runs nothing: no device, yet no "No device is connected!".
        EXPECT_EQ(r.out.find("No device is connected!"), std::string::npos);
    }
}

// The README shows the listing; it must be what the program prints.
TEST_F(HelpAndParse, ReadmeShowsTheProgramsHelp) {
    std::ifstream in(ZEL_README_PATH, std::ios::binary);
    const std::string readme{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string opening = "`zelcmd --help`:\n\n```\n";
    const auto begin = readme.find(opening);
    ASSERT_NE(begin, std::string::npos);
    const auto start = begin + opening.size();
    const auto end = readme.find("```", start);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(readme.substr(start, end - start), zelcmd({"--help"}).out);
}

TEST_F(HelpAndParse, GroupsInOrderWithTheirTitles) {
    auto r = zelcmd({"-h"});
    const auto basic = r.out.find("\nBasic Switches:\n");
    const auto optional = r.out.find("\nOptional Switches:\n");
    const auto misc = r.out.find("\nMiscellaneous options:\n");
    ASSERT_NE(basic, std::string::npos) << r.out;
    ASSERT_NE(optional, std::string::npos) << r.out;
    ASSERT_NE(misc, std::string::npos) << r.out;
    EXPECT_LT(basic, optional);
    EXPECT_LT(optional, misc);
    // Defaults of the number options show in the listing.
    EXPECT_NE(r.out.find("-g [ --target ] arg (=1)"), std::string::npos);
    EXPECT_NE(r.out.find("--hold arg (=3)"), std::string::npos);
    // No line passes the width of 80.
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
}

TEST_F(HelpAndParse, RejectedCommandLinesEndWith99AndTheLibraryText) {
    startSim({"gen=1"});
    const std::vector<std::vector<std::string>> lines = {
        {"--bogus"},                       // unknown option
        {"--set"},                         // missing value
        {"--device", "abc"},               // not a number
        {"--stop", "--hold", "x"},         // not a number
        {"--set", "A", "--set", "B"},      // single-value option twice
        {"-d"},
    };
    const OptionTable table;
    for (const auto& args : lines) {
        const std::string expected = table.errorLine(args);
        ASSERT_NE(expected, "(accepted)");
        auto r = zelcmd(args);
        ASSERT_TRUE(r.exited()) << describe(r);
        EXPECT_EQ(r.status, 99) << describe(r);
        EXPECT_EQ(r.err, expected) << describe(r);
        // Nothing ran on the device.
        EXPECT_EQ(r.out.find("Device 1"), std::string::npos) << describe(r);
    }
    EXPECT_EQ(table.errorLine({"--bogus"}), "error: unrecognised option '--bogus'\n");
}

TEST_F(HelpAndParse, VersionIsHiddenFromTheFixedHelpListing) {
    auto r = zelcmd({"--version"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, "zelcmd " ZEL_VERSION "\n");
    const auto help = zelcmd({"--help"}).out;
    EXPECT_EQ(help.find("--version"), std::string::npos);
    EXPECT_EQ(help.find("--serial"), std::string::npos);
}

TEST_F(HelpAndParse, NoDeviceConnected) {
    // Any command without an emulator: the message once, status 0; stderr says why (nothing is
    // served in the ZELMOR_SIM folder), stdout stays exactly as scripts expect.
    for (const auto& args : {std::vector<std::string>{"--stop"}, {"--set", kChip33, "-d", "x.bin", "-v", "--start"},
                             {"--list-device-id", "0"}, {"-v"}, {"--hold", "2"}}) {
        auto r = zelcmd(args);
        ASSERT_TRUE(r.exited()) << describe(r);
        EXPECT_EQ(r.status, 0) << describe(r);
        EXPECT_EQ(r.out, "No device is connected!\n") << describe(r);
        EXPECT_EQ(r.err.rfind("  Reason: no simulated emulator is served at ZELMOR_SIM=", 0), 0u) << describe(r);
    }
}

}  // namespace
}  // namespace zel::test
