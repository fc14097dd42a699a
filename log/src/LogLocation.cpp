#include "LogLocation.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace zel::log {
namespace {

std::filesystem::path absoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        return {};
    std::filesystem::path path(value);
    // A relative XDG folder is invalid by the base-directory rules and must be ignored.
    return path.is_absolute() ? path : std::filesystem::path{};
}

std::filesystem::path homeFolder()
{
    if (auto home = absoluteFromEnvironment("HOME"); !home.empty())
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return {};
}

std::filesystem::path stateFolder()
{
    if (auto state = absoluteFromEnvironment("XDG_STATE_HOME"); !state.empty())
        return state;
    auto home = homeFolder();
    return home.empty() ? home : home / ".local" / "state";
}

}  // namespace

std::filesystem::path logFilePath()
{
    auto state = stateFolder();
    return state.empty() ? state : state / "Varnik" / "Zelmor" / "zelmor.log";
}

}  // namespace zel::log
