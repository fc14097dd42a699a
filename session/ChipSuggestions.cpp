#include "ChipSuggestions.h"

#include <algorithm>
#include <cctype>
#include <numeric>

#include "chipcfg/ConfigFolder.h"

namespace zel::session {
namespace {

char folded(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// Levenshtein distance over case-folded characters, one row at a time.
size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), size_t{0});
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            const size_t substitution = diagonal + (folded(a[i - 1]) == folded(b[j - 1]) ? 0 : 1);
            row[j] = std::min({above + 1, row[j - 1] + 1, substitution});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

std::vector<std::string> closestChipNames(const std::filesystem::path& configFolder, std::string_view typed,
                                          size_t count) {
    std::vector<std::pair<size_t, std::string>> ranked;
    const size_t limit = std::max<size_t>(1, typed.size() / 2);
    for (const auto& file : chipcfg::listConfigFiles(configFolder)) {
        auto name = file.stem().string();
        const size_t distance = editDistance(typed, name);
        if (distance <= limit) ranked.emplace_back(distance, std::move(name));
    }
    std::sort(ranked.begin(), ranked.end());
    std::vector<std::string> names;
    for (size_t i = 0; i < ranked.size() && i < count; ++i) names.push_back(std::move(ranked[i].second));
    return names;
}

}  // namespace zel::session
