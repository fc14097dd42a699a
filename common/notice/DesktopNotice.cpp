#include "notice/DesktopNotice.h"

#include <array>
#include <unistd.h>

#include "notice/NoticeSocketIo.h"

namespace zel::notice {
namespace {

std::array<uint8_t, kNoticeSize> encode(int code) {
    const auto value = static_cast<uint32_t>(code);
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

}  // namespace

bool sendDesktopNoticeTo(const std::filesystem::path& socketPath, int code, std::chrono::milliseconds wait) {
    const auto deadline = Clock::now() + wait;
    // Only a socket the user owns, in a folder only the user can change, is the user's own
    // desktop program.
    if (!isPrivateFolder(socketPath.parent_path()) || !isOwnSocket(socketPath)) return false;
    const int fd = connectNoticeSocket(socketPath, deadline);
    if (fd < 0) return false;
    const auto notice = encode(code);
    std::array<uint8_t, kNoticeSize> ack{};
    const bool acknowledged = sendAll(fd, notice, deadline) && receiveAll(fd, ack, deadline) && ack == notice;
    ::close(fd);
    return acknowledged;
}

bool sendDesktopNotice(int code, std::chrono::milliseconds wait) {
    return sendDesktopNoticeTo(desktopNoticeSocketPath(), code, wait);
}

}  // namespace zel::notice
