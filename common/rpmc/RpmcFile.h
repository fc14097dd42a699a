// The .rpmc file: an INI file with section "Varnik RPMC" and, for counter n = 1..4, the keys
// "Initialized<n>" (decimal, 1 = initialised), "CountValue<n>" (8 hex digits) and "Key<n>"
// (64 hex digits), each with its default when missing.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "ini/IniDocument.h"
#include "settings/SettingsUpdate.h"

namespace zel::rpmc {

inline constexpr std::wstring_view kRpmcSection = L"Varnik RPMC";
inline constexpr std::size_t kCounterCount = 4;
inline constexpr std::wstring_view kDefaultInitialized = L"0";
inline constexpr std::wstring_view kDefaultCountValue = L"00000000";
inline constexpr std::wstring_view kDefaultKey = L"5A3C96E1B2D47F08C1E9A36B4D2F7581E0C3A95B6D7F1248A3E5C9072B4D6F81";
// "Initialized" is read into a buffer of this many units: at most 64 characters are used.
inline constexpr ini::BufferUnits kValueBuffer{65};
inline constexpr std::size_t kCountValueDigits = 8;
inline constexpr std::size_t kKeyDigits = 64;

struct RpmcCounterSettings {
    std::wstring initialized{kDefaultInitialized};
    std::wstring countValue{kDefaultCountValue};
    std::wstring key{kDefaultKey};

    // The "Initialized" text's leading decimal integer is 1.
    bool isInitialized() const;
};

using RpmcSettings = std::array<RpmcCounterSettings, kCounterCount>;

// Count values and keys are taken whole: only their trailing digits count (the table is filled
// from the last digit backwards and the settings document keeps the last 8 or 64), so a key
// written as "0x" and 64 digits still gives those 64 digits.
RpmcSettings readRpmcSettings(const ini::IniDocument& file);
// Nothing, with `error` set, when the file cannot be opened or read.
std::optional<RpmcSettings> loadRpmcFile(const std::filesystem::path& path, std::error_code& error);

// What the settings document records after an RPMC download: "EnableRPMC" = "1" and, per
// counter, the "Initialized" text, the count value adjusted to 8 characters and the key adjusted
// to 64 characters.
std::vector<settings::SettingChange> rpmcSettingChanges(const RpmcSettings& settings);

}  // namespace zel::rpmc
