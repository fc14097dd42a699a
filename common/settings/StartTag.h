// Where an element's attributes sit in the document text, so that a save rewrites only the
// attribute values that changed and leaves every other byte as it was.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace zel::settings {

struct AttributeSpan {
    std::size_t nameBegin = 0, nameEnd = 0;
    std::size_t valueBegin = 0, valueEnd = 0;  // inside the quotes
    char quote = '"';
};

struct StartTagLayout {
    std::vector<AttributeSpan> attributes;
    std::size_t appendAt = 0;  // just after the last attribute (or the element name)
};

// Scans the start tag whose element name begins at `nameOffset`; nothing when the text there is
// not a well-formed start tag.
std::optional<StartTagLayout> scanStartTag(std::string_view text, std::size_t nameOffset);

}  // namespace zel::settings
