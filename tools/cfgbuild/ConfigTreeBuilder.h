// Writes the catalogue's chip-configuration files into a program folder:
//   <folder>/config/ZelmorPro/<chip>.cfg and <folder>/config/<chip>.cfg, the same bytes in both
// (section 1 ends with the record tagged 0xFFFF, which both generations and the earlier model
// read as the end). A chip the writer refuses is reported and written nowhere.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "ChipEntry.h"

namespace zel::catalogue {

struct TreeBuild {
    std::vector<std::filesystem::path> written;
    std::vector<std::string> failures;  // "<chip>: <why>"
};

TreeBuild buildConfigTree(const std::vector<ChipEntry>& chips, const std::filesystem::path& programFolder);

// Files listed in the previous manifest that this build did not write: chips dropped from the
// catalogue. Only the builder's own files are ever removed.
std::vector<std::filesystem::path> staleFiles(const std::vector<std::filesystem::path>& previous,
                                              const std::vector<std::filesystem::path>& written);

// The manifest names files relative to the program folder, so a moved build tree keeps its
// manifest; a line that would lead outside the folder's config/ tree is ignored.
std::vector<std::filesystem::path> readManifest(const std::filesystem::path& manifest,
                                                const std::filesystem::path& programFolder);
bool writeManifest(const std::filesystem::path& manifest, const std::filesystem::path& programFolder,
                   const std::vector<std::filesystem::path>& files);

}  // namespace zel::catalogue
