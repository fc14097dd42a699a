// The Load File dialog's recently used paths, newest first, stored as one text joined with "|".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zel::gui {

class PathHistory {
public:
    // Keeps the settings attribute from growing without end.
    static constexpr size_t kMaxPaths = 16;

    PathHistory() = default;
    explicit PathHistory(std::vector<std::string> paths);

    // The stored text split at "|"; empty pieces are dropped.
    static PathHistory fromJoined(std::string_view joined);
    std::string joined() const;

    // Moves the path to the front; an equal entry further back goes. An empty path changes nothing.
    void add(std::string_view path);

    const std::vector<std::string>& paths() const { return paths_; }

private:
    std::vector<std::string> paths_;
};

}  // namespace zel::gui
