// The desktop program's side of the notice channel: a listening socket served by one thread.
// Each notice runs its callback and is acknowledged only after the callback has returned, so the
// command-line tool touches the emulators only once the desktop program has let them go.
#pragma once

#include <filesystem>
#include <functional>
#include <thread>

#include "notice/NoticeSocketPath.h"

namespace zel::notice {

struct DesktopNoticeHandlers {
    std::function<void()> devicesTaken;     // code 1: close every USB handle
    std::function<void()> devicesReleased;  // code 2: enumerate the emulators again
};

class DesktopNoticeListener {
public:
    // Listens at socketPath (its folder is created 0700 when missing). Throws std::runtime_error
    // when the folder is not private, when another desktop program already listens there, or when
    // the path holds something other than a stale socket of ours.
    explicit DesktopNoticeListener(DesktopNoticeHandlers handlers,
                                   std::filesystem::path socketPath = desktopNoticeSocketPath());
    ~DesktopNoticeListener();  // stops the thread and removes the socket file
    DesktopNoticeListener(const DesktopNoticeListener&) = delete;
    DesktopNoticeListener& operator=(const DesktopNoticeListener&) = delete;

    const std::filesystem::path& socketPath() const { return path_; }

private:
    void serve();
    void answer(int connection);
    bool run(int code);

    DesktopNoticeHandlers handlers_;
    std::filesystem::path path_;
    int listenFd_ = -1;
    int stopPipe_[2] = {-1, -1};
    unsigned long socketInode_ = 0;
    std::thread thread_;
};

}  // namespace zel::notice
