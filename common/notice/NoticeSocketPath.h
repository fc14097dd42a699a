// Where the desktop program listens for the command-line tool's notices, and the rule that keeps
// another user from standing in for it: the socket's folder must belong to us and be closed to
// group and others.
#pragma once

#include <filesystem>

namespace zel::notice {

// $XDG_RUNTIME_DIR/zelmor-notice.sock when XDG_RUNTIME_DIR is set and absolute, else
// /tmp/zelmor-<uid>/notice.sock.
std::filesystem::path desktopNoticeSocketPath();

// The same rule with its inputs named, so that tests need not touch the real /tmp.
// runtimeDir may be null (unset).
std::filesystem::path noticeSocketPathFrom(const char* runtimeDir, const std::filesystem::path& tempRoot);

// True when path is a folder (not a symbolic link) owned by the effective user with no group or
// other permission bits.
bool isPrivateFolder(const std::filesystem::path& path);

// Creates the folder (one level, mode 0700) when missing; true when it is then private.
bool preparePrivateFolder(const std::filesystem::path& path);

// True when path is a socket owned by the effective user.
bool isOwnSocket(const std::filesystem::path& path);

}  // namespace zel::notice
