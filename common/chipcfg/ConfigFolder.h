// Where chip-configuration files live and how a chip's name leads to its file.
//   <program folder>/config/ZelmorPro/<chip>.cfg   (ZelmorPro, both generations)
//   <program folder>/config/<chip>.cfg             (the earlier model)
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

#include "chipcfg/Result.h"

namespace zel::chipcfg {

enum class ProductLine { ZelmorPro, EarlierModel };

std::filesystem::path configFolder(const std::filesystem::path& programFolder, ProductLine line);

// A chip name names a file inside the configuration folder, so it must not be able to leave it:
// empty names, NULs, path separators ('/' and '\') and ".." are refused.
Result<void> checkChipName(std::wstring_view chipName);

// The configuration file of a chip, or why the name names none.
Result<std::filesystem::path> configFilePath(const std::filesystem::path& programFolder, ProductLine line,
                                             std::wstring_view chipName);

// The configuration file of a chip as a user typed its name: the file of exactly that name when
// it exists, else the one file of the folder whose name matches without regard to (ASCII) case.
// Two such files and no exact match are refused as ambiguous; with none the exact path is
// returned (it does not exist, which the caller reports).
Result<std::filesystem::path> findConfigFile(const std::filesystem::path& programFolder, ProductLine line,
                                             std::wstring_view chipName);

// Regular files of the folder whose name ends in "cfg" (any case), sorted by name; sub-folders
// are skipped; a missing or unreadable folder lists nothing.
std::vector<std::filesystem::path> listConfigFiles(const std::filesystem::path& folder);

}  // namespace zel::chipcfg
