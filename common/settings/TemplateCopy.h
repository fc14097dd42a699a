// The desktop program's start step: make the per-user folder and give it a copy of each template
// file (settings document, manufacturer order, command tables) that it does not have yet. A file
// the user already has is never overwritten.
#pragma once

#include <filesystem>
#include <system_error>
#include <vector>

namespace zel::settings {

struct TemplateCopyReport {
    std::error_code folderError;                 // the per-user folder could not be created
    std::vector<std::filesystem::path> copied;   // per-user files created now
    std::vector<std::filesystem::path> kept;     // per-user files that already existed
    std::vector<std::filesystem::path> missing;  // templates that do not exist or cannot be read
    std::vector<std::filesystem::path> failed;   // per-user files that could not be written
};

TemplateCopyReport copyUserTemplates(const std::filesystem::path& templateFolder,
                                     const std::filesystem::path& userFolder);

}  // namespace zel::settings
