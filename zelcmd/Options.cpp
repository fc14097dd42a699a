#include "Options.h"

#include <sstream>

#include <boost/program_options.hpp>

namespace po = boost::program_options;

namespace zel::cmd {
namespace {

constexpr unsigned kLineWidth = 80;

po::options_description basicSwitches() {
    po::options_description group("Basic Switches", kLineWidth);
    group.add_options()
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
         "during USB plug-in\n- 1: Prompt the device ID of programmer connected to USB1.\n- n: Prompt the device "
         "ID of programmer connected to USBn.")
        ("update-fw", po::value<std::string>(), "Update ZelmorPro firmware")
        ("download-RPMC", po::value<std::string>(), "Download RPMC table to ZelmorPro(needs to work with a file)");
    return group;
}

po::options_description optionalSwitches() {
    po::options_description group("Optional Switches", kLineWidth);
    group.add_options()
        ("verify,v", "verify file and emulator contents\n- only works with -d")
        ("addr,a", po::value<std::string>(),
         "starting address(e.g. -d x:\\file.bin -a 0x000)\n- only works with -d -r")
        ("length,l", po::value<std::string>(),
         "length to read/download in bytes(e.g. -r x:\\file.bin -l 0x10000)\n- only works with -d -r")
        ("fill,x", po::value<std::string>(),
         "fill the rest area with [byte] data(e.g. -d x:\\file.bin -x 0xAA)\n- only works with -d")
        ("truncate,t",
         "Truncate file to chip size if the file size bigger than chip size\n- only works with -d");
    return group;
}

// There are two emulated chips; any other number would select chip 1 and be printed as itself.
void refuseUnknownTarget(unsigned target) {
    if (target == 1 || target == 2) return;
    po::invalid_option_value error(std::to_string(target));
    error.set_option_name("target");
    error.set_prefix(po::command_line_style::allow_long);
    throw error;
}

po::options_description miscellaneousOptions() {
    po::options_description group("Miscellaneous options", kLineWidth);
    group.add_options()
        ("target,g", po::value<unsigned>()->default_value(1)->notifier(refuseUnknownTarget),
         "Target Options \nAvailable values: \n    1, Chip 1(Default)\n    2, Chip 2")
        ("hold", po::value<unsigned>()->default_value(3),
         "Hold Pin Status While Emulation\n- only works with --start\n    1, Default Low\n    2, Input by "
         "default\n    3, Floating by default(default)")
        ("reset", po::value<unsigned>(),
         "Reset the Target system\n    1, Disable reset function(Default)\n    2, Enable reset function")
        ("noisy,n", "Appear  the display of real-time timer counting")
        ("enter-4byte-mode", po::value<unsigned>(),
         "Number of address bytes during command entry\n    1, Disable(Default)\n    2, Enable");
    return group;
}

// The options --help does not list (the man page does). They are taken out by their full names
// before the table sees the command line, so that they never make an abbreviation that the table
// resolves today ambiguous (--ver is --verify, --s is ambiguous among the table's options only).
std::vector<std::string> takeHiddenOptions(const std::vector<std::string>& arguments, Options& options) {
    std::vector<std::string> rest;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const auto& argument = arguments[i];
        if (i > 0 && argument == "--version") {
            options.version = true;
        } else if (i > 0 && argument.rfind("--serial=", 0) == 0) {
            options.serial = argument.substr(9);
        } else if (i > 0 && argument == "--serial") {
            if (i + 1 >= arguments.size()) throw po::error("the required argument for option '--serial' is missing");
            options.serial = arguments[++i];
        } else {
            rest.push_back(argument);
        }
    }
    return rest;
}

po::options_description optionTable() {
    po::options_description all(kLineWidth);
    all.add(basicSwitches()).add(optionalSwitches()).add(miscellaneousOptions());
    return all;
}

template <class T>
std::optional<T> optionalValue(const po::variables_map& map, const char* name) {
    if (!map.count(name)) return std::nullopt;
    return map[name].as<T>();
}

Options toOptions(const po::variables_map& map) {
    Options options;
    options.help = map.count("help") > 0;
    options.set = optionalValue<std::string>(map, "set");
    options.stop = map.count("stop") > 0;
    options.start = map.count("start") > 0;
    options.check = map.count("check") > 0;
    options.blank = map.count("blank") > 0;
    options.read = optionalValue<std::string>(map, "read");
    options.download = optionalValue<std::string>(map, "download");
    options.sum = map.count("sum") > 0;
    options.fsum = optionalValue<std::string>(map, "fsum");
    options.device = optionalValue<unsigned>(map, "device");
    options.listDeviceId = optionalValue<unsigned>(map, "list-device-id");
    options.updateFirmware = optionalValue<std::string>(map, "update-fw");
    options.downloadRpmc = optionalValue<std::string>(map, "download-RPMC");
    options.verify = map.count("verify") > 0;
    options.addr = optionalValue<std::string>(map, "addr");
    options.length = optionalValue<std::string>(map, "length");
    options.fill = optionalValue<std::string>(map, "fill");
    options.truncate = map.count("truncate") > 0;
    options.target = map["target"].as<unsigned>();
    options.hold = map["hold"].as<unsigned>();
    options.reset = optionalValue<unsigned>(map, "reset");
    options.noisy = map.count("noisy") > 0;
    options.enter4ByteMode = optionalValue<unsigned>(map, "enter-4byte-mode");
    return options;
}

}  // namespace

Options parseOptions(const std::vector<std::string>& arguments) {
    Options hidden;
    const auto rest = takeHiddenOptions(arguments, hidden);
    std::vector<const char*> argv;
    argv.reserve(rest.size());
    for (const auto& argument : rest) argv.push_back(argument.c_str());
    po::variables_map map;
    po::store(po::parse_command_line(static_cast<int>(argv.size()), argv.data(), optionTable()), map);
    po::notify(map);
    auto options = toOptions(map);
    options.version = hidden.version;
    options.serial = hidden.serial;
    return options;
}

std::string helpText() {
    std::ostringstream text;
    text << "Help" << '\n';
    text << "Example:\n zelcmd --stop --set M25P80 -d x:\\file.bin -v --start\nRemark:\n -b, -r, -d, -s have to "
            "work with --set"
         << '\n';
    text << optionTable() << '\n';
    return text.str();
}

}  // namespace zel::cmd
