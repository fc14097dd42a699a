#include "fileio/ProgramFolder.h"

#include <system_error>

namespace zel::fileio {

std::filesystem::path programFolderFor(const std::filesystem::path& executableFolder) {
    std::error_code error;
    if (std::filesystem::is_directory(executableFolder / "config", error)) return executableFolder;
    return (executableFolder / ".." / "share" / "zelmor").lexically_normal();
}

std::filesystem::path programFolder() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::filesystem::current_path(error);
    return programFolderFor(executable.parent_path());
}

}  // namespace zel::fileio
