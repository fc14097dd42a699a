#include "RpmcChoices.h"

#include <cstdio>

#include "ini/IniFile.h"
#include "rpmc/RpmcFile.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsValues.h"
#include "text/TextCodec.h"

namespace zel::gui::pins {
namespace {

namespace keys = settings::keys;

std::wstring wide(std::string_view text) { return text::utf8ToWide(std::string(text)); }

std::wstring padded(std::string_view text, std::size_t length) { return settings::adjustLength(wide(text), length); }

std::wstring numbered(std::wstring_view name, std::size_t counter) {
    return std::wstring(name) + std::to_wstring(counter + 1);
}

bool isOne(const std::wstring& text) { return settings::parseHex(text).value_or(0) == 1; }

RpmcCounterChoice counterOf(bool initialized, std::wstring_view key, std::wstring_view count) {
    RpmcCounterChoice counter;
    counter.initialized = initialized;
    counter.key = tableHex(key.empty() ? rpmc::kDefaultKey : key, rpmc::kKeyBytes);
    counter.count = tableHex(count, rpmc::kCounterValueBytes);
    return counter;
}

}  // namespace

RpmcCounterChoice::RpmcCounterChoice()
    : key(text::wideToUtf8(std::wstring(rpmc::kDefaultKey))), count(text::wideToUtf8(std::wstring(rpmc::kDefaultCountValue))) {}

std::string tableHex(std::wstring_view text, std::size_t bytes) {
    std::vector<std::uint8_t> values(bytes);
    rpmc::hexTextToBytes(text, values);
    std::string hex;
    char pair[3];
    for (auto value : values) {
        std::snprintf(pair, sizeof pair, "%02X", value);
        hex += pair;
    }
    return hex;
}

RpmcChoices readRpmcChoices(const GuiSettings& settings) {
    RpmcChoices choices;
    choices.enabled = isOne(settings.get(keys::kEnableRpmc));
    for (std::size_t n = 0; n < rpmc::kCounterCount; ++n)
        choices.counters[n] = counterOf(isOne(settings.get(keys::kRpmcCounterInit[n])), settings.get(keys::kRpmcKey[n]),
                                        settings.get(keys::kRpmcCounterValue[n]));
    return choices;
}

settings::SettingsUpdate rpmcChanges(const RpmcChoices& choices) {
    settings::SettingsUpdate update;
    update.set(keys::kEnableRpmc, settings::formatFlag(choices.enabled));
    for (std::size_t n = 0; n < rpmc::kCounterCount; ++n) {
        const RpmcCounterChoice& counter = choices.counters[n];
        update.set(keys::kRpmcCounterInit[n], settings::formatHex(counter.initialized ? 1 : 0));
        update.set(keys::kRpmcKey[n], padded(counter.key, rpmc::kKeyDigits));
        update.set(keys::kRpmcCounterValue[n], padded(counter.count, rpmc::kCountValueDigits));
    }
    return update;
}

rpmc::RpmcTable rpmcTable(const RpmcCounters& counters) {
    rpmc::RpmcSettings settings;
    for (std::size_t n = 0; n < rpmc::kCounterCount; ++n) {
        settings[n].initialized = counters[n].initialized ? L"1" : L"0";
        settings[n].key = wide(counters[n].key);
        settings[n].countValue = wide(counters[n].count);
    }
    return rpmc::buildRpmcTable(settings);
}

std::optional<RpmcCounters> loadRpmcCounters(const std::filesystem::path& file, std::error_code& error) {
    const auto settings = rpmc::loadRpmcFile(file, error);
    if (!settings) return std::nullopt;
    RpmcCounters counters;
    for (std::size_t n = 0; n < rpmc::kCounterCount; ++n)
        counters[n] = counterOf((*settings)[n].isInitialized(), (*settings)[n].key, (*settings)[n].countValue);
    return counters;
}

bool saveRpmcCounters(const RpmcCounters& counters, const std::filesystem::path& file) {
    for (std::size_t n = 0; n < rpmc::kCounterCount; ++n) {
        const RpmcCounterChoice& counter = counters[n];
        if (!ini::writeProfileString(file, rpmc::kRpmcSection, numbered(L"Initialized", n), counter.initialized ? L"1" : L"0") ||
            !ini::writeProfileString(file, rpmc::kRpmcSection, numbered(L"CountValue", n),
                                     padded(counter.count, rpmc::kCountValueDigits)) ||
            !ini::writeProfileString(file, rpmc::kRpmcSection, numbered(L"Key", n), padded(counter.key, rpmc::kKeyDigits)))
            return false;
    }
    return true;
}

std::optional<std::string> keyLengthWarning(std::size_t counter, std::string_view key) {
    if (key.size() >= rpmc::kKeyDigits) return std::nullopt;
    return "Error : key" + std::to_string(counter + 1) + " Please input 64 chars!";
}

std::optional<std::string> countLengthWarning(std::size_t counter, std::string_view count) {
    if (count.size() >= rpmc::kCountValueDigits) return std::nullopt;
    return "Error : count value " + std::to_string(counter + 1) + " Please input 8 chars!";
}

}  // namespace zel::gui::pins
