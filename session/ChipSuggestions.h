// The chip names a user most likely meant when the one typed names no configuration: the
// catalogue's names closest to it by edit distance, without regard to case.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zel::session {

// At most `count` names (file stems of the folder's .cfg files), closest first; names further
// than half the typed length away are left out, so a wild guess suggests nothing.
std::vector<std::string> closestChipNames(const std::filesystem::path& configFolder, std::string_view typed,
                                          size_t count = 3);

}  // namespace zel::session
