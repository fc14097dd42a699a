// zeltrace's subcommands: one entry per subcommand in kSubcommands (Subcommands.cpp), one source
// file each. A subcommand gets the words after its name and returns the exit status.
#pragma once

#include <span>
#include <string_view>

#include "ToolArguments.h"

namespace zel::zeltrace {

// Exit statuses of every subcommand.
inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;  // a file could not be read or written, or the tables are missing
inline constexpr int kUsage = 2;

struct Subcommand {
    std::string_view name;
    std::string_view synopsis;  // one line of the overall usage
    std::string_view help;      // the subcommand's --help text
    int (*run)(tools::Arguments& args);
};

std::span<const Subcommand> subcommands();

// "zeltrace SUBCOMMAND: PROBLEM" and a pointer to the help on stderr; returns kUsage.
int usageError(std::string_view subcommand, std::string_view problem);

int runDecode(tools::Arguments& args);
int runStats(tools::Arguments& args);

}  // namespace zel::zeltrace
