#include "CommandLine.h"

#include "DeviceChoice.h"
#include "ToolArguments.h"

#include <array>
#include <vector>

namespace zel::info {
namespace {

using tools::Arguments;

struct ShareOption {
    const char* name;
    ShareCommand command;
};
constexpr std::array kShareOptions{ShareOption{"--pause", ShareCommand::Pause},
                                   ShareOption{"--regain", ShareCommand::Regain},
                                   ShareOption{"--serve", ShareCommand::Serve}};

bool isSupplyVoltage(const std::string& volts)
{
    return volts == "3.3" || volts == "2.5" || volts == "1.8";
}

// Takes every job option; `given` lists the ones present, in the order above.
void takeJobs(Arguments& args, Command& command, std::vector<std::pair<std::string, Job>>& given)
{
    if (args.takeFlag("--chips"))
        given.emplace_back("--chips", Job::Chips);
    if (args.takeFlag("--watch"))
        given.emplace_back("--watch", Job::Watch);
    if (args.take("--apply", command.apply.configPath))
        given.emplace_back("--apply", Job::Apply);
    if (args.take("--supply", command.volts)) {
        given.emplace_back("--supply", Job::Supply);
        if (!isSupplyVoltage(command.volts))
            args.refuse("--supply takes 3.3, 2.5 or 1.8, not " + command.volts);
    }
    for (const auto& option : kShareOptions)
        if (args.takeFlag(option.name)) {
            given.emplace_back(option.name, Job::Share);
            command.share = option.command;
        }
}

// Whether the options fit the one job; `problem` says why not.
bool checkCombination(const std::vector<std::pair<std::string, Job>>& given, const tools::DeviceChoice& device,
                      bool target, std::string& problem)
{
    if (given.size() > 1) {
        problem = given[0].first + " and " + given[1].first + " do not go together";
        return false;
    }
    const Job job = given.empty() ? Job::Report : given[0].second;
    const bool needsDevice = job == Job::Apply || job == Job::Supply;
    if (needsDevice && !device.given())
        problem = given[0].first + " needs --device N or --serial S";
    else if (!needsDevice && device.given())
        problem = std::string(device.number ? "--device" : "--serial") + " goes with --apply or --supply";
    else if (job != Job::Apply && target)
        problem = "--target goes with --apply";
    return problem.empty();
}

}  // namespace

std::optional<Command> parseCommandLine(int argc, char** argv, std::string& problem)
{
    Arguments args(argc, argv);
    Command command;
    if (args.takeFlag("--help") || args.takeFlag("-h")) {
        command.job = Job::Help;
        return command;
    }
    std::vector<std::pair<std::string, Job>> given;
    takeJobs(args, command, given);
    uint64_t target = 1;
    command.device = tools::takeDeviceChoice(args);
    const bool haveTarget = args.takeNumber("--target", 1, 2, target);
    const bool chips = given.size() == 1 && given[0].second == Job::Chips;
    const auto argumentProblem = chips && !args.rest().empty() ? args.problem({"PATTERN"}) : args.problem({});
    if (argumentProblem) {
        problem = *argumentProblem;
        return std::nullopt;
    }
    if (!checkCombination(given, command.device, haveTarget, problem))
        return std::nullopt;
    if (!given.empty())
        command.job = given[0].second;
    if (chips && !args.rest().empty())
        command.chipPattern = args.rest()[0];
    command.apply.target = static_cast<int>(target);
    return command;
}

}  // namespace zel::info
