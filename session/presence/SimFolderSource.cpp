#include "presence/SimFolderSource.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <sys/inotify.h>
#include <system_error>
#include <unistd.h>

namespace zel::session::presence {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kEndpointEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr std::uint32_t kGoneEvents = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;
// Above the folder only its own creation (or a folder on the way to it) matters.
constexpr std::uint32_t kFolderMask = kEndpointEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr std::uint32_t kAncestorMask = IN_CREATE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// Folders created while a watch moves down are caught by looking again; this bounds the looks.
constexpr int kAttachTries = 16;

bool isEndpointName(std::string_view name)
{
    return name.size() > 4 && name.ends_with(".usb");
}

std::set<std::string> listEndpoints(const fs::path& folder)
{
    std::set<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (isEndpointName(name))
            names.insert(std::move(name));
    }
    return names;
}

// The deepest existing folder on the way to `folder` (`folder` itself when it exists).
fs::path nearestExisting(const fs::path& folder)
{
    fs::path path = folder;
    std::error_code error;
    while (!fs::is_directory(path, error) && path.has_relative_path())
        path = path.parent_path();
    return path;
}

}  // namespace

SimFolderSource::SimFolderSource(fs::path folder)
    : folder_(fs::absolute(std::move(folder)).lexically_normal()), inotify_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    if (inotify_ < 0)
        throw std::system_error(errno, std::generic_category(), "inotify_init1");
    if (!folder_.has_filename())
        folder_ = folder_.parent_path();  // "dir/" names the folder "dir"
    attach();
}

SimFolderSource::~SimFolderSource()
{
    ::close(inotify_);
}

bool SimFolderSource::wait(std::optional<std::chrono::milliseconds> timeout)
{
    if (waitReadable(inotify_, wake_, timeout) != WaitResult::Ready)
        return false;
    return readEvents();
}

// Reads every queued event. An endpoint appearing or going is a change even when the set of
// names ends up as it was (a replug within one read); the watch moving up or down is a change
// when the endpoints found differ.
bool SimFolderSource::readEvents()
{
    alignas(inotify_event) std::array<char, 16 * 1024> buffer;
    bool endpointEvent = false;
    bool reattach = false;
    const std::string next = watch_ >= 0 && watched_ != folder_
                                 ? folder_.lexically_relative(watched_).begin()->string()
                                 : std::string();
    for (;;) {
        const ssize_t length = ::read(inotify_, buffer.data(), buffer.size());
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0)
            break;
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            const std::string_view name = event->len > 0 ? event->name : "";
            if (event->mask & IN_Q_OVERFLOW)
                reattach = true;  // events were lost: look again
            if (event->wd != watch_)
                continue;  // left over from a watch given up
            if (event->mask & kGoneEvents)
                reattach = true;
            else if (watched_ == folder_)
                endpointEvent = endpointEvent || isEndpointName(name);
            else if (name == next)
                reattach = true;
        }
    }
    if (endpointEvent)
        endpoints_ = listEndpoints(folder_);
    const bool moved = reattach && attach();
    return endpointEvent || moved;
}

// Watches the folder, or the nearest folder above it, and lists the endpoints; true when they
// differ from those seen before.
bool SimFolderSource::attach()
{
    watchNearest();
    auto endpoints = watched_ == folder_ ? listEndpoints(folder_) : std::set<std::string>();
    const bool changed = endpoints != endpoints_;
    endpoints_ = std::move(endpoints);
    return changed;
}

// Moves the watch to the deepest existing folder on the way to folder_, looking again when one
// further down appeared while the watch was being placed (its creation event would be missed).
void SimFolderSource::watchNearest()
{
    for (int tries = 0; tries < kAttachTries; ++tries) {
        if (watch_ >= 0)
            ::inotify_rm_watch(inotify_, watch_);  // fails harmlessly when the folder is gone
        watched_ = nearestExisting(folder_);
        const std::uint32_t mask = watched_ == folder_ ? kFolderMask : kAncestorMask;
        watch_ = ::inotify_add_watch(inotify_, watched_.c_str(), mask);
        if (watch_ >= 0 && nearestExisting(folder_) == watched_)
            return;
    }
}

}  // namespace zel::session::presence
