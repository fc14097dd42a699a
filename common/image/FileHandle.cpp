#include "image/FileHandle.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zel::image::detail {

FileHandle FileHandle::openForReading(const std::filesystem::path& path) {
    int fd;
    do fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    return FileHandle(fd);
}

FileHandle FileHandle::createForWriting(const std::filesystem::path& path) {
    int fd;
    do fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    return FileHandle(fd);
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

FileHandle::~FileHandle() { close(); }

std::optional<uint64_t> FileHandle::regularFileSize() const {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return static_cast<uint64_t>(info.st_size);
}

std::optional<size_t> FileHandle::read(void* buffer, size_t size) {
    auto bytes = static_cast<char*>(buffer);
    size_t filled = 0;
    while (filled < size) {
        ssize_t got = ::read(fd_, bytes + filled, size - filled);
        if (got < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (got == 0) break;
        filled += static_cast<size_t>(got);
    }
    return filled;
}

bool FileHandle::writeAll(const void* data, size_t size) {
    auto bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t put = ::write(fd_, bytes, size);
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

bool FileHandle::close() {
    if (fd_ < 0) return true;
    int fd = fd_;
    fd_ = -1;
    // After EINTR the descriptor is already released on Linux; retrying could close another.
    return ::close(fd) == 0 || errno == EINTR;
}

}  // namespace zel::image::detail
