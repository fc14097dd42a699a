#include "RowSearch.h"

#include <algorithm>
#include <cctype>

namespace zel::gui {
namespace {

bool containsIgnoringCase(std::string_view text, std::string_view needle) {
    const auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    return std::search(text.begin(), text.end(), needle.begin(), needle.end(), same) != text.end();
}

}  // namespace

std::optional<size_t> findNextRow(size_t rowCount, std::optional<size_t> after, std::string_view needle,
                                  const std::function<std::string(size_t)>& rowText) {
    if (needle.empty() || rowCount == 0) return std::nullopt;
    const size_t first = after && *after < rowCount ? *after + 1 : 0;
    for (size_t step = 0; step < rowCount; ++step) {
        const size_t row = (first + step) % rowCount;
        if (containsIgnoringCase(rowText(row), needle)) return row;
    }
    return std::nullopt;
}

}  // namespace zel::gui
