#include "settings/SettingsLocation.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace zel::settings {
namespace {

const std::filesystem::path kVendorFolder = std::filesystem::path("Varnik") / "Zelmor";

std::optional<std::filesystem::path> absoluteVariable(const EnvironmentLookup& environment, const char* name) {
    auto value = environment(name);
    if (!value || value->empty() || value->front() != '/') return std::nullopt;
    return std::filesystem::path(*value);
}

std::optional<std::filesystem::path> passwordHome() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_dir == nullptr || found->pw_dir[0] != '/')
        return std::nullopt;
    return std::filesystem::path(found->pw_dir);
}

}  // namespace

std::optional<std::string> processEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

std::filesystem::path userSettingsFolder(const EnvironmentLookup& environment) {
    if (auto config = absoluteVariable(environment, "XDG_CONFIG_HOME")) return *config / kVendorFolder;
    auto home = absoluteVariable(environment, "HOME");
    if (!home) home = passwordHome();
    if (home) return *home / ".config" / kVendorFolder;
    return std::filesystem::path(".") / kVendorFolder;
}

std::filesystem::path templateSettingsFolder(const EnvironmentLookup& environment) {
    auto dirs = environment("XDG_CONFIG_DIRS");
    if (dirs) {
        auto first = dirs->substr(0, dirs->find(':'));
        if (!first.empty() && first.front() == '/') return std::filesystem::path(first) / kVendorFolder;
    }
    return std::filesystem::path("/etc/xdg") / kVendorFolder;
}

std::filesystem::path userSettingsDocumentPath(const EnvironmentLookup& environment) {
    return userSettingsFolder(environment) / kSettingsFileName;
}

}  // namespace zel::settings
