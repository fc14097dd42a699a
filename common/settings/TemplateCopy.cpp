#include "settings/TemplateCopy.h"

#include "ini/FileBytes.h"
#include "settings/SettingsLocation.h"

namespace zel::settings {

TemplateCopyReport copyUserTemplates(const std::filesystem::path& templateFolder,
                                     const std::filesystem::path& userFolder) {
    TemplateCopyReport report;
    std::filesystem::create_directories(userFolder, report.folderError);
    if (report.folderError) return report;

    for (auto name : kUserTemplateFiles) {
        const auto target = userFolder / name;
        std::error_code error;
        // A dangling link counts as present too: the user put it there.
        if (std::filesystem::exists(std::filesystem::symlink_status(target, error))) {
            report.kept.push_back(target);
            continue;
        }
        auto bytes = ini::readFileBytes(templateFolder / name, error);
        if (!bytes) {
            report.missing.push_back(templateFolder / name);
            continue;
        }
        error = ini::createFileExclusively(target, *bytes);
        if (!error)
            report.copied.push_back(target);
        else if (error == std::errc::file_exists)
            report.kept.push_back(target);  // created meanwhile by another process
        else
            report.failed.push_back(target);
    }
    return report;
}

}  // namespace zel::settings
