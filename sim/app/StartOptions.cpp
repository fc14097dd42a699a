#include "app/StartOptions.h"

#include <cstdlib>
#include <stdexcept>

namespace zel::sim {
namespace {

constexpr size_t kMaxDevices = 100;  // endpoint names dev00..dev99 sort in device order

double parseScale(const std::string& text) {
    size_t used = 0;
    double value = 0;
    try {
        value = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || !(value > 0) || value > 4000)
        throw std::invalid_argument("--time-scale takes a number above 0 and at most 4000");
    return value;
}

uint64_t parseCount(const std::string& option, const std::string& text) {
    size_t used = 0;
    unsigned long long value = 0;
    try {
        value = std::stoull(text, &used, 10);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || text.empty() || text[0] == '-')
        throw std::invalid_argument(option + " takes a whole number");
    return value;
}

}  // namespace

SimOptions parseStartOptions(const std::vector<std::string>& arguments) {
    SimOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const auto& arg = arguments[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size()) throw std::invalid_argument(arg + " needs a value");
            return arguments[++i];
        };
        if (arg == "--dir") options.dir = value();
        else if (arg == "--foreground") options.foreground = true;
        else if (arg == "--strict") options.strict = true;
        else if (arg == "--time-scale") options.timeScale = parseScale(value());
        else if (arg == "--log-limit") options.logLimit = parseCount(arg, value());
        else if (arg == "--erase-ms") options.chipEraseTime = std::chrono::milliseconds(parseCount(arg, value()));
        else if (arg == "--device") options.devices.push_back(parseDeviceProfile(value()));
        else throw std::invalid_argument("unknown start option: " + arg);
    }
    if (options.dir.empty()) {
        const char* env = std::getenv("ZELMOR_SIM");
        if (!env || !*env) throw std::invalid_argument("start needs --dir DIR (or ZELMOR_SIM)");
        options.dir = env;
    }
    if (options.devices.empty()) throw std::invalid_argument("start needs at least one --device KEYS");
    if (options.devices.size() > kMaxDevices) throw std::invalid_argument("at most 100 devices");
    options.dir = std::filesystem::absolute(options.dir).lexically_normal();
    return options;
}

}  // namespace zel::sim
