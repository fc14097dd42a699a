#include "settings/SettingsUpdate.h"

#include "settings/SettingsDocument.h"
#include "settings/SettingsValues.h"

namespace zel::settings {

void SettingsUpdate::set(std::string_view key, std::wstring value) {
    changes_.push_back({std::string(key), std::move(value)});
}

void SettingsUpdate::setBool(std::string_view key, bool value) { set(key, formatBool(value)); }

void SettingsUpdate::add(const std::vector<SettingChange>& changes) {
    changes_.insert(changes_.end(), changes.begin(), changes.end());
}

UpdateResult SettingsUpdate::applyTo(const std::filesystem::path& path, std::error_code* error) const {
    auto report = [&](std::error_code code) {
        if (error) *error = code;
    };
    report({});
    if (changes_.empty()) return UpdateResult::NothingToWrite;
    auto document = SettingsDocument::load(path, RootLookup::FirstElement);
    if (!document.isUsable()) return UpdateResult::NoDocument;
    for (const auto& change : changes_) {
        if (!document.set(change.key, change.value)) {
            report(std::make_error_code(std::errc::invalid_argument));
            return UpdateResult::Failed;
        }
    }
    if (auto written = document.save(path)) {
        report(written);
        return UpdateResult::Failed;
    }
    return UpdateResult::Written;
}

}  // namespace zel::settings
