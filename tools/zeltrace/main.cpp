// zeltrace: raw SPI trace captures on the command line. Dispatches to one subcommand; the table
// of subcommands is in Subcommands.cpp.
#include <cstdio>
#include <string>

#include "Subcommands.h"

namespace {

using namespace zel::zeltrace;

void printUsage() {
    std::string text = "Usage:";
    bool first = true;
    for (const auto& s : subcommands()) {
        text += (first ? " " : "       ") + std::string(s.synopsis) + "\n";
        first = false;
    }
    text +=
        "       zeltrace SUBCOMMAND --help\n"
        "Records an emulator's SPI trace into raw captures (*.zeltrace), decodes them into the trace\n"
        "viewer's text, reports on them and exports them as logic waveforms.\n"
        "Exit status: 0 done, 1 a file could not be read or written, 2 usage.\n";
    std::fputs(text.c_str(), stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usageError("", "a subcommand is needed");
    const std::string name = argv[1];
    if (name == "--help" || name == "-h") return printUsage(), kDone;
    if (name == "--version") return std::puts("zeltrace " ZEL_VERSION), kDone;
    for (const auto& s : subcommands()) {
        if (s.name != name) continue;
        zel::tools::Arguments args(argc - 1, argv + 1);
        if (args.takeFlag("--help") || args.takeFlag("-h")) return std::fputs(std::string(s.help).c_str(), stdout), kDone;
        return s.run(args);
    }
    return usageError("", "unknown subcommand " + name);
}
