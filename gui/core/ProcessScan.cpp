#include "ProcessScan.h"

#include <cctype>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace zel::gui {
namespace {

bool isProcessFolder(const std::filesystem::directory_entry& entry) {
    const std::string name = entry.path().filename().string();
    if (name.empty()) return false;
    for (unsigned char c : name)
        if (!std::isdigit(c)) return false;
    return true;
}

}  // namespace

bool commandLineToolRunning(const std::filesystem::path& procRoot, uid_t uid) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(procRoot, error)) {
        if (!isProcessFolder(entry)) continue;
        struct stat info {};
        if (::stat(entry.path().c_str(), &info) != 0 || info.st_uid != uid) continue;
        std::ifstream comm(entry.path() / "comm");
        std::string name;
        if (!std::getline(comm, name)) continue;  // the process ended meanwhile
        if (name == "zelcmd" || name == "Zelcmd") return true;
    }
    return false;
}

bool commandLineToolRunning() { return commandLineToolRunning("/proc", ::geteuid()); }

}  // namespace zel::gui
