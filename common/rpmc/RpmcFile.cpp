#include "rpmc/RpmcFile.h"

#include "ini/IniFile.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsValues.h"

namespace zel::rpmc {
namespace {

std::wstring numbered(std::wstring_view name, std::size_t counter) {
    return std::wstring(name) + std::to_wstring(counter + 1);
}

}  // namespace

bool RpmcCounterSettings::isInitialized() const { return ini::leadingInteger(initialized) == 1; }

RpmcSettings readRpmcSettings(const ini::IniDocument& file) {
    RpmcSettings settings;
    for (std::size_t n = 0; n < kCounterCount; ++n) {
        auto& counter = settings[n];
        counter.initialized = file.getString(kRpmcSection, numbered(L"Initialized", n), kDefaultInitialized, kValueBuffer);
        counter.countValue = file.getString(kRpmcSection, numbered(L"CountValue", n), kDefaultCountValue);
        counter.key = file.getString(kRpmcSection, numbered(L"Key", n), kDefaultKey);
    }
    return settings;
}

std::optional<RpmcSettings> loadRpmcFile(const std::filesystem::path& path, std::error_code& error) {
    auto file = ini::loadIniFile(path, error);
    if (!file) return std::nullopt;
    return readRpmcSettings(*file);
}

std::vector<settings::SettingChange> rpmcSettingChanges(const RpmcSettings& rpmc) {
    namespace keys = settings::keys;
    std::vector<settings::SettingChange> changes{{std::string(keys::kEnableRpmc), L"1"}};
    for (std::size_t n = 0; n < kCounterCount; ++n) {
        changes.push_back({std::string(keys::kRpmcCounterInit[n]), rpmc[n].initialized});
        changes.push_back({std::string(keys::kRpmcCounterValue[n]), settings::adjustLength(rpmc[n].countValue, kCountValueDigits)});
        changes.push_back({std::string(keys::kRpmcKey[n]), settings::adjustLength(rpmc[n].key, kKeyDigits)});
    }
    return changes;
}

}  // namespace zel::rpmc
