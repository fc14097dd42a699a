#include "dialogs/core/PathHistory.h"

#include <algorithm>

namespace zel::gui {

PathHistory::PathHistory(std::vector<std::string> paths)
{
    // Added oldest first so that duplicates and the limit are handled as add() handles them.
    for (auto path = paths.rbegin(); path != paths.rend(); ++path)
        add(*path);
}

PathHistory PathHistory::fromJoined(std::string_view joined)
{
    std::vector<std::string> paths;
    while (!joined.empty()) {
        const auto bar = joined.find('|');
        paths.emplace_back(joined.substr(0, bar));
        joined.remove_prefix(bar == std::string_view::npos ? joined.size() : bar + 1);
    }
    std::erase(paths, std::string());
    return PathHistory(std::move(paths));
}

std::string PathHistory::joined() const
{
    std::string text;
    for (const auto& path : paths_) {
        if (!text.empty())
            text += '|';
        text += path;
    }
    return text;
}

void PathHistory::add(std::string_view path)
{
    if (path.empty())
        return;
    std::erase(paths_, path);
    paths_.emplace(paths_.begin(), path);
    if (paths_.size() > kMaxPaths)
        paths_.resize(kMaxPaths);
}

}  // namespace zel::gui
