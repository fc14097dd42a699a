// Whole-buffer reads and writes on the notice socket, each bounded by a deadline.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <span>

namespace zel::notice {

using Clock = std::chrono::steady_clock;

// The notice and its acknowledgement are the code as 4 bytes, least significant first (the
// 32-bit notice value the desktop program has always received).
inline constexpr size_t kNoticeSize = 4;

// A connected stream socket to path, or -1 (no listener, no such file, deadline passed).
int connectNoticeSocket(const std::filesystem::path& path, Clock::time_point deadline);

bool sendAll(int fd, std::span<const uint8_t> data, Clock::time_point deadline);
// False on end of stream, error or a passed deadline.
bool receiveAll(int fd, std::span<uint8_t> data, Clock::time_point deadline);

}  // namespace zel::notice
