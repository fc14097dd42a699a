// The "RPMC Setting" page's values: whether the table is written at Run and, per counter, the
// initialised flag, the root key (64 hex digits) and the counter value (8 hex digits). Read from
// and written to the settings document and .rpmc files; the table sent is built from them.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "GuiSettings.h"
#include "rpmc/RpmcTable.h"
#include "settings/SettingsUpdate.h"

namespace zel::gui::pins {

struct RpmcCounterChoice {
    bool initialized = false;
    std::string key;    // hex digits, at most 64; empty reads as 0
    std::string count;  // hex digits, at most 8; empty reads as 0

    RpmcCounterChoice();  // the default key and a count of 0
};

using RpmcCounters = std::array<RpmcCounterChoice, rpmc::kCounterCount>;

struct RpmcChoices {
    bool enabled = false;  // "EnableRPMC": the table is written after each Run
    RpmcCounters counters;
};

// A key or count as the table takes it, shown whole: the last digit pairs of `text` (a pair that
// is not hex gives 00, missing ones 00), upper case, two digits per byte.
std::string tableHex(std::wstring_view text, std::size_t bytes);

RpmcChoices readRpmcChoices(const GuiSettings& settings);
// "EnableRPMC" and the counters' keys, the texts padded to their full length.
settings::SettingsUpdate rpmcChanges(const RpmcChoices& choices);
rpmc::RpmcTable rpmcTable(const RpmcCounters& counters);

// Nothing, with `error` set, when the file cannot be read.
std::optional<RpmcCounters> loadRpmcCounters(const std::filesystem::path& file, std::error_code& error);
// Sets the keys of section "Varnik RPMC" in place (other content stays); false when a write failed.
bool saveRpmcCounters(const RpmcCounters& counters, const std::filesystem::path& file);

// The warning for a key or count that is shorter than its full length (counter 0..3); nothing
// when it is complete.
std::optional<std::string> keyLengthWarning(std::size_t counter, std::string_view key);
std::optional<std::string> countLengthWarning(std::size_t counter, std::string_view count);

}  // namespace zel::gui::pins
