#include "ini/TemporaryFiles.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <system_error>

namespace zel::ini {
namespace {

template <class Number>
std::optional<Number> decimal(std::string_view text) {
    Number value{};
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// EPERM means the process exists but belongs to someone else: it is kept as alive.
bool processIsGone(pid_t pid) { return ::kill(pid, 0) == -1 && errno == ESRCH; }

bool isRegularFileEntry(const std::filesystem::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::string temporaryName(std::string_view targetName, pid_t writer, unsigned number) {
    return "." + std::string(targetName) + ".tmp." + std::to_string(writer) + "." + std::to_string(number);
}

std::optional<pid_t> temporaryWriter(std::string_view name, std::string_view targetName) {
    const std::string prefix = "." + std::string(targetName) + ".tmp.";
    if (!name.starts_with(prefix)) return std::nullopt;
    auto rest = name.substr(prefix.size());
    auto dot = rest.find('.');
    if (dot == std::string_view::npos) return std::nullopt;
    auto writer = decimal<pid_t>(rest.substr(0, dot));
    auto number = decimal<unsigned>(rest.substr(dot + 1));
    // Rebuilding the name rules out leading zeros and anything else this writer never makes.
    if (!writer || *writer <= 0 || !number || temporaryName(targetName, *writer, *number) != name) return std::nullopt;
    return writer;
}

void removeStaleTemporaries(const std::filesystem::path& target) {
    const auto folder = target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
    const auto targetName = target.filename().string();
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        const auto& path = entry->path();
        auto writer = temporaryWriter(path.filename().string(), targetName);
        if (writer && processIsGone(*writer) && isRegularFileEntry(path)) ::unlink(path.c_str());
    }
}

}  // namespace zel::ini
