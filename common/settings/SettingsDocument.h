// The settings document "VarnikZelmorSettings.xml": a root element whose child "GUI_USERS"
// carries every setting as an attribute. Reading goes through pugixml; saving rewrites only the
// values that changed and appends new attributes after the existing ones, so the file keeps its
// encoding, byte-order mark, layout, attribute order and the attributes this program does not
// know.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "settings/XmlTextEncoding.h"

namespace pugi {
class xml_document;
class xml_node;
}  // namespace pugi

namespace zel::settings {

// The desktop program looks the root up by its name "Preferences"; the console tool takes the
// document's first element whatever its name.
enum class RootLookup { FirstElement, Preferences };

enum class SettingsLoadStatus {
    Loaded,
    FileMissing,
    Unreadable,
    NotADocument,      // unknown encoding, malformed XML or no element
    NoSettingsElement  // the root has no "GUI_USERS" child
};

class SettingsDocument {
public:
    static SettingsDocument load(const std::filesystem::path& path, RootLookup lookup);
    static SettingsDocument parse(std::string_view bytes, RootLookup lookup);

    SettingsDocument(SettingsDocument&&) noexcept;
    SettingsDocument& operator=(SettingsDocument&&) noexcept;
    ~SettingsDocument();

    SettingsLoadStatus status() const { return status_; }
    bool isUsable() const { return status_ == SettingsLoadStatus::Loaded; }
    const XmlTextEncoding& encoding() const { return encoding_; }

    // Empty when the document is unusable or the attribute is missing.
    std::wstring get(std::string_view key) const;
    // True only for "Yes".
    bool getBool(std::string_view key) const;
    // False (and nothing changed) when the document is unusable or `key` is not an XML name.
    bool set(std::string_view key, std::wstring_view value);
    bool setBool(std::string_view key, bool value);

    // The whole file as it would be written; nothing when the document is unusable or a value
    // cannot be carried in the document's declared encoding.
    std::optional<std::string> serialize() const;
    // Atomic (temporary file and rename); an unusable document writes nothing.
    std::error_code save(const std::filesystem::path& path) const;

private:
    SettingsDocument();
    pugi::xml_node settingsElement() const;
    void finishLoading(std::string_view bytes);

    std::unique_ptr<pugi::xml_document> xml_;
    std::string text_;  // the document as read, in UTF-8 without a byte-order mark
    XmlTextEncoding encoding_;
    RootLookup lookup_ = RootLookup::FirstElement;
    SettingsLoadStatus status_ = SettingsLoadStatus::NotADocument;
    std::vector<std::string> originalValues_;  // the settings element's attribute values as read
};

}  // namespace zel::settings
