// The console tool's end-of-run pass: the settings it collected during the run, applied to the
// per-user document at once. The tool never creates the document: without a usable one (missing,
// unreadable, not a document, no "GUI_USERS") nothing is written.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace zel::settings {

struct SettingChange {
    std::string key;
    std::wstring value;

    bool operator==(const SettingChange&) const = default;
};

enum class UpdateResult {
    Written,
    NothingToWrite,  // no change was collected: the file is not touched
    NoDocument,      // no usable document: skipped silently, nothing created
    Failed           // a key was refused or the write failed; the old file is left as it was
};

class SettingsUpdate {
public:
    // A later change of the same key wins.
    void set(std::string_view key, std::wstring value);
    void setBool(std::string_view key, bool value);
    void add(const std::vector<SettingChange>& changes);

    const std::vector<SettingChange>& changes() const { return changes_; }
    bool empty() const { return changes_.empty(); }

    // Loads the document (first element whatever its name), sets every change and saves it
    // atomically to the same path. `error` receives the reason of a failure.
    UpdateResult applyTo(const std::filesystem::path& document, std::error_code* error = nullptr) const;

private:
    std::vector<SettingChange> changes_;
};

}  // namespace zel::settings
