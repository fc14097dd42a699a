// The option table of zelcmd (three groups, as the help listing shows them) and the parsed
// command line. Parsing errors are the option library's exceptions (boost::program_options::error);
// the caller prints their text.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zel::cmd {

struct Options {
    bool help = false;

    // Basic Switches
    std::optional<std::string> set;
    bool stop = false;
    bool start = false;
    bool check = false;
    bool blank = false;
    std::optional<std::string> read;
    std::optional<std::string> download;
    bool sum = false;
    std::optional<std::string> fsum;
    std::optional<unsigned> device;
    std::optional<unsigned> listDeviceId;
    std::optional<std::string> updateFirmware;
    std::optional<std::string> downloadRpmc;

    // Optional Switches
    bool verify = false;
    std::optional<std::string> addr;
    std::optional<std::string> length;
    std::optional<std::string> fill;
    bool truncate = false;

    // Miscellaneous options
    unsigned target = 1;
    unsigned hold = 3;
    std::optional<unsigned> reset;
    bool noisy = false;
    std::optional<unsigned> enter4ByteMode;

    // Hidden (in the man page, not in the help listing, whose text is fixed)
    bool version = false;
    std::optional<std::string> serial;  // pick the emulator by serial number instead of --device

    bool targetTwo() const { return target == 2; }
};

// Parses argv (UTF-8, the program name first). Throws boost::program_options::error on a command line the option table
// rejects: unknown or ambiguous option, missing value, value of the wrong type, a repeated option.
Options parseOptions(const std::vector<std::string>& arguments);

// The help output: "Help", the example, the listing of the three groups (line width 80).
std::string helpText();

}  // namespace zel::cmd
