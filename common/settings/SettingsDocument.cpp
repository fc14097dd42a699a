#include "settings/SettingsDocument.h"

#include <pugixml.hpp>

#include <algorithm>

#include "ini/FileBytes.h"
#include "settings/SettingsValues.h"
#include "settings/StartTag.h"
#include "text/TextCodec.h"

namespace zel::settings {
namespace {

constexpr const char* kSettingsElement = "GUI_USERS";
constexpr const char* kDesktopRoot = "Preferences";
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_doctype |
                                   pugi::parse_pi | pugi::parse_comments;

bool isXmlName(std::string_view key) {
    auto nameStart = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    auto nameChar = [&](char c) { return nameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; };
    return !key.empty() && nameStart(key.front()) && std::all_of(key.begin() + 1, key.end(), nameChar);
}

// Control characters are written as character references so a reader gets them back instead of
// the spaces XML makes of literal line breaks and tabs in attribute values.
std::string escapeAttributeValue(std::string_view value, char quote) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += quote == '"' ? "&quot;" : "\""; break;
            case '\'': out += quote == '\'' ? "&apos;" : "'"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20)
                    out += "&#" + std::to_string(static_cast<int>(c)) + ";";
                else
                    out += c;
        }
    }
    return out;
}

struct Splice {
    std::size_t begin, end;
    std::string replacement;
};

std::string applySplices(std::string_view text, std::vector<Splice> splices) {
    std::sort(splices.begin(), splices.end(), [](const Splice& a, const Splice& b) { return a.begin < b.begin; });
    std::string out;
    std::size_t at = 0;
    for (const auto& s : splices) {
        out.append(text.substr(at, s.begin - at));
        out += s.replacement;
        at = s.end;
    }
    out.append(text.substr(at));
    return out;
}

}  // namespace

SettingsDocument::SettingsDocument() : xml_(std::make_unique<pugi::xml_document>()) {}
SettingsDocument::SettingsDocument(SettingsDocument&& other) noexcept
    : xml_(std::move(other.xml_)),
      text_(std::move(other.text_)),
      encoding_(std::move(other.encoding_)),
      lookup_(other.lookup_),
      status_(other.status_),
      originalValues_(std::move(other.originalValues_)) {
    other.status_ = SettingsLoadStatus::NotADocument;  // it no longer holds a document
}

SettingsDocument& SettingsDocument::operator=(SettingsDocument&& other) noexcept {
    if (this != &other) {
        xml_ = std::move(other.xml_);
        text_ = std::move(other.text_);
        encoding_ = std::move(other.encoding_);
        lookup_ = other.lookup_;
        status_ = other.status_;
        originalValues_ = std::move(other.originalValues_);
        other.status_ = SettingsLoadStatus::NotADocument;
    }
    return *this;
}
SettingsDocument::~SettingsDocument() = default;

SettingsDocument SettingsDocument::load(const std::filesystem::path& path, RootLookup lookup) {
    SettingsDocument document;
    document.lookup_ = lookup;
    std::error_code error;
    auto bytes = ini::readFileBytes(path, error);
    if (!bytes) {
        document.status_ = error == std::errc::no_such_file_or_directory ? SettingsLoadStatus::FileMissing
                                                                         : SettingsLoadStatus::Unreadable;
        return document;
    }
    document.finishLoading(*bytes);
    return document;
}

SettingsDocument SettingsDocument::parse(std::string_view bytes, RootLookup lookup) {
    SettingsDocument document;
    document.lookup_ = lookup;
    document.finishLoading(bytes);
    return document;
}

void SettingsDocument::finishLoading(std::string_view bytes) {
    status_ = SettingsLoadStatus::NotADocument;
    auto encoding = detectXmlEncoding(bytes);
    if (!encoding) return;
    auto text = decodeXmlText(bytes, *encoding);
    if (!text) return;
    encoding_ = *encoding;
    text_ = std::move(*text);
    if (!xml_->load_buffer(text_.data(), text_.size(), kParseOptions, pugi::encoding_utf8)) return;
    if (!xml_->document_element()) return;
    auto element = settingsElement();
    if (!element) {
        status_ = SettingsLoadStatus::NoSettingsElement;
        return;
    }
    for (auto attribute : element.attributes()) originalValues_.emplace_back(attribute.value());
    status_ = SettingsLoadStatus::Loaded;
}

pugi::xml_node SettingsDocument::settingsElement() const {
    auto root = lookup_ == RootLookup::Preferences ? xml_->child(kDesktopRoot) : xml_->document_element();
    return root.child(kSettingsElement);
}

std::wstring SettingsDocument::get(std::string_view key) const {
    if (!isUsable()) return {};
    auto attribute = settingsElement().attribute(std::string(key).c_str());
    return attribute ? text::utf8ToWide(attribute.value()) : std::wstring();
}

bool SettingsDocument::getBool(std::string_view key) const { return parseBool(get(key)); }

bool SettingsDocument::set(std::string_view key, std::wstring_view value) {
    if (!isUsable() || !isXmlName(key)) return false;
    const std::string name(key);
    auto element = settingsElement();
    auto attribute = element.attribute(name.c_str());
    if (!attribute) attribute = element.append_attribute(name.c_str());
    return attribute.set_value(text::wideToUtf8(value).c_str());
}

bool SettingsDocument::setBool(std::string_view key, bool value) { return set(key, formatBool(value)); }

std::optional<std::string> SettingsDocument::serialize() const {
    if (!isUsable()) return std::nullopt;
    auto element = settingsElement();
    auto offset = element.offset_debug();
    if (offset < 0) return std::nullopt;
    auto layout = scanStartTag(text_, static_cast<std::size_t>(offset));
    if (!layout || layout->attributes.size() != originalValues_.size()) return std::nullopt;

    std::vector<Splice> splices;
    std::string appended;
    const char newQuote = layout->attributes.empty() ? '"' : layout->attributes.back().quote;
    std::size_t index = 0;
    for (auto attribute : element.attributes()) {
        if (index < layout->attributes.size()) {
            const auto& span = layout->attributes[index];
            auto spelled = std::string_view(text_).substr(span.nameBegin, span.nameEnd - span.nameBegin);
            if (spelled != attribute.name()) return std::nullopt;
            if (originalValues_[index] != attribute.value())
                splices.push_back({span.valueBegin, span.valueEnd, escapeAttributeValue(attribute.value(), span.quote)});
        } else {
            appended += ' ';
            appended += attribute.name();
            appended += '=';
            appended += newQuote;
            appended += escapeAttributeValue(attribute.value(), newQuote);
            appended += newQuote;
        }
        ++index;
    }
    if (!appended.empty()) splices.push_back({layout->appendAt, layout->appendAt, std::move(appended)});
    return encodeXmlText(applySplices(text_, std::move(splices)), encoding_);
}

std::error_code SettingsDocument::save(const std::filesystem::path& path) const {
    if (!isUsable()) return std::make_error_code(std::errc::invalid_argument);
    auto bytes = serialize();
    if (!bytes) return std::make_error_code(std::errc::illegal_byte_sequence);
    return ini::writeFileAtomically(path, *bytes);
}

}  // namespace zel::settings
