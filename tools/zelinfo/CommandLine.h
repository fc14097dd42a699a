// zelinfo's command line: which one of its jobs to run, and with what.
#pragma once

#include "ChipApply.h"
#include "DeviceChoice.h"
#include "ShareCommands.h"

#include <optional>
#include <string>

namespace zel::info {

enum class Job { Report, Help, Chips, Apply, Supply, Share, Watch };

struct Command {
    Job job = Job::Report;
    std::string chipPattern;  // Chips: what the names must contain; empty lists every chip
    tools::DeviceChoice device;  // Apply and Supply: resolved once the API has found the emulators
    ApplyRequest apply;       // Apply: its device is that choice, resolved
    std::string volts;        // Supply: "3.3", "2.5" or "1.8"
    ShareCommand share = ShareCommand::Pause;
};

// The command the words after the program name ask for; nullopt with `problem` set to one
// sentence naming the faulty argument when they ask for none.
std::optional<Command> parseCommandLine(int argc, char** argv, std::string& problem);

}  // namespace zel::info
