// Blocking whole-buffer reads and writes on a stream socket, bounded by a deadline, for both
// ends of the simulator link. EINTR resumes; a peer that goes away or a passed deadline fails.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <sys/uio.h>

namespace zel::simwire {

using Clock = std::chrono::steady_clock;
// No deadline: wait as long as it takes (the server side, which answers at its own pace).
inline constexpr std::optional<Clock::time_point> kNoDeadline{};

enum class IoResult { Ok, Closed, TimedOut, Error };

IoResult writeAll(int fd, std::span<const std::byte> data, std::optional<Clock::time_point> deadline);
// Gathers several buffers into as few system calls as possible (header + payload).
IoResult writeAllv(int fd, std::span<iovec> parts, std::optional<Clock::time_point> deadline);
IoResult readAll(int fd, std::span<std::byte> data, std::optional<Clock::time_point> deadline);

// Connects to a Unix stream socket at path; -1 on failure.
int connectUnix(const std::string& path);
// Creates a listening Unix stream socket at path (an old socket file there is replaced); -1 on failure.
int listenUnix(const std::string& path, int backlog = 16);

template <class T>
std::span<const std::byte> asBytes(const T& value) { return std::as_bytes(std::span<const T, 1>(&value, 1)); }
template <class T>
std::span<std::byte> asWritableBytes(T& value) { return std::as_writable_bytes(std::span<T, 1>(&value, 1)); }

}  // namespace zel::simwire
