// The terminal viewer's Search: the next row whose text holds the words, compared without regard
// to (ASCII) case, starting after the selected row and wrapping past the last row to the first.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zel::gui {

// `after`: the selected row, or nothing to start at row 0. The selected row itself is tried
// last, so a lone match is found again. An empty needle finds nothing.
std::optional<size_t> findNextRow(size_t rowCount, std::optional<size_t> after, std::string_view needle,
                                  const std::function<std::string(size_t)>& rowText);

}  // namespace zel::gui
