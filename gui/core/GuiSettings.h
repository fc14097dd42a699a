// The desktop program's view of the settings document: created from the template when the user
// has none, read at start, and written key by key so that nothing the command-line tool wrote in
// between is lost (every write re-reads the file, sets the changed keys and replaces it
// atomically).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "settings/SettingsDocument.h"
#include "settings/SettingsUpdate.h"

namespace zel::gui {

class GuiSettings {
public:
    // Gives the user folder the template files it lacks, from the first of templateFolders that
    // holds the settings document, then reads the document.
    GuiSettings(std::filesystem::path userFolder, const std::vector<std::filesystem::path>& templateFolders);

    const std::filesystem::path& path() const { return path_; }
    bool usable() const { return document_.isUsable(); }
    std::wstring get(std::string_view key) const { return document_.get(key); }
    bool getBool(std::string_view key) const { return document_.getBool(key); }
    // A flag some writers store as "Yes" and others as "1": either reads as set.
    bool getFlag(std::string_view key) const { return getBool(key) || get(key) == L"1"; }
    // The value as UTF-8 (paths, texts the cores keep narrow).
    std::string getUtf8(std::string_view key) const;

    // Re-reads, applies and atomically replaces the document; the error when it could not.
    std::error_code write(const settings::SettingsUpdate& changes);

private:
    std::filesystem::path path_;
    settings::SettingsDocument document_;
};

}  // namespace zel::gui
