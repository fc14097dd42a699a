#include "notice/NoticeSocketPath.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace zel::notice {

std::filesystem::path noticeSocketPathFrom(const char* runtimeDir, const std::filesystem::path& tempRoot) {
    if (runtimeDir != nullptr && *runtimeDir != '\0') {
        std::filesystem::path folder(runtimeDir);
        // A relative runtime folder is invalid by the base-directory rules.
        if (folder.is_absolute()) return folder / "zelmor-notice.sock";
    }
    return tempRoot / ("zelmor-" + std::to_string(::geteuid())) / "notice.sock";
}

std::filesystem::path desktopNoticeSocketPath() {
    return noticeSocketPathFrom(std::getenv("XDG_RUNTIME_DIR"), "/tmp");
}

bool isPrivateFolder(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

bool preparePrivateFolder(const std::filesystem::path& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return isPrivateFolder(path);
}

bool isOwnSocket(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return false;
    return S_ISSOCK(info.st_mode) && info.st_uid == ::geteuid();
}

}  // namespace zel::notice
