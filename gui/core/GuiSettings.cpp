#include "GuiSettings.h"

#include "settings/SettingsLocation.h"
#include "settings/TemplateCopy.h"
#include "text/TextCodec.h"

namespace zel::gui {
namespace {

std::filesystem::path documentPath(const std::filesystem::path& userFolder, const std::vector<std::filesystem::path>& templateFolders) {
    std::error_code error;
    for (const auto& folder : templateFolders) {
        if (!std::filesystem::exists(folder / settings::kSettingsFileName, error)) continue;
        settings::copyUserTemplates(folder, userFolder);
        break;
    }
    return userFolder / settings::kSettingsFileName;
}

}  // namespace

GuiSettings::GuiSettings(std::filesystem::path userFolder, const std::vector<std::filesystem::path>& templateFolders)
    : path_(documentPath(userFolder, templateFolders)),
      document_(settings::SettingsDocument::load(path_, settings::RootLookup::Preferences)) {}

std::string GuiSettings::getUtf8(std::string_view key) const { return text::wideToUtf8(get(key)); }

std::error_code GuiSettings::write(const settings::SettingsUpdate& changes) {
    std::error_code error;
    const auto result = changes.applyTo(path_, &error);
    if (result == settings::UpdateResult::Failed && !error) error = std::make_error_code(std::errc::io_error);
    if (result == settings::UpdateResult::NoDocument) error = std::make_error_code(std::errc::no_such_file_or_directory);
    document_ = settings::SettingsDocument::load(path_, settings::RootLookup::Preferences);
    return error;
}

}  // namespace zel::gui
