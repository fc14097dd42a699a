// The program folder (chip configurations, firmware): the running executable's folder when it
// holds config/, else <executable folder>/../share/zelmor (an installed program).
#pragma once

#include <filesystem>

namespace zel::fileio {

std::filesystem::path programFolder();
// The same rule for a given executable folder.
std::filesystem::path programFolderFor(const std::filesystem::path& executableFolder);

}  // namespace zel::fileio
