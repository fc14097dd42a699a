#include "app/StartOptions.h"

#include <algorithm>
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

uint16_t parsePort(const std::string& what, const std::string& text) {
    const auto value = parseCount(what, text);
    if (value > 65535) throw std::invalid_argument(what + " takes a TCP port 0..65535");
    return static_cast<uint16_t>(value);
}

// Takes the serprog keys out of a device's key list; the rest describes the device itself.
std::string takeSerprogKeys(const std::string& spec, SerprogSetting& setting) {
    std::string rest;
    size_t start = 0;
    while (start <= spec.size()) {
        const size_t end = std::min(spec.find(',', start), spec.size());
        const std::string item = spec.substr(start, end - start);
        if (item.rfind("serprog=", 0) == 0) {
            setting.port = parsePort("serprog=", item.substr(8));
        } else if (item.rfind("serprog-slot=", 0) == 0) {
            const auto slot = item.substr(13);
            if (slot != "0" && slot != "1") throw std::invalid_argument("serprog-slot takes 0 or 1");
            setting.chipSlot = slot == "1" ? 1 : 0;
        } else {
            rest += (rest.empty() ? "" : ",") + item;
        }
        start = end + 1;
    }
    return rest;
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
        else if (arg == "--speed") options.linkSpeed = parseDeviceProfile("speed=" + value()).linkSpeed.value_or(0);
        else if (arg == "--serprog-base") options.serprogBase = parsePort(arg, value());
        else if (arg == "--device") {
            SerprogSetting serprog;
            options.devices.push_back(parseDeviceProfile(takeSerprogKeys(value(), serprog)));
            options.serprog.push_back(serprog);
        }
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
