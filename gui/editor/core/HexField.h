// The hexadecimal fields of the buffer editor and its Fill Buffer dialog. Users type addresses as
// they read them in the grid: blanks around the digits are ignored, a "0x" prefix is allowed, and
// a field left empty reads as 0 (the dialogs open with empty fields).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zel::gui::editor {

// The value of at most 16 hexadecimal digits; none for anything else.
std::optional<uint64_t> parseHexField(std::string_view text);

}  // namespace zel::gui::editor
