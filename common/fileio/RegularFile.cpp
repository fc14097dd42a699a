#include "fileio/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fileio/FileErrors.h"

namespace zel::fileio {
namespace {

std::error_code lastError() { return {errno, std::generic_category()}; }

int openRetrying(const std::filesystem::path& path, int flags) {
    int fd;
    do fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

bool namesNonRegularFile(const std::filesystem::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

// Opening a device can act on it (a tape rewinds, a serial line rises), so a path that names no
// regular file is refused before any open. O_NONBLOCK keeps the open of a FIFO put there since
// from waiting; fstat then refuses it.
RegularFile RegularFile::openForReading(const std::filesystem::path& path) {
    if (namesNonRegularFile(path)) return RegularFile(FileError::NotRegularFile);
    int fd = openRetrying(path, O_RDONLY);
    if (fd < 0) return RegularFile(lastError());
    return adopt(fd);
}

// Without O_TRUNC: the file is emptied only once fstat has shown it is a regular one. A FIFO
// without a reader fails the open with ENXIO; one with a reader opens and is refused by fstat.
RegularFile RegularFile::createForWriting(const std::filesystem::path& path) {
    if (namesNonRegularFile(path)) return RegularFile(FileError::NotRegularFile);
    int fd = openRetrying(path, O_WRONLY | O_CREAT);
    if (fd < 0) return RegularFile(errno == ENXIO ? make_error_code(FileError::NotRegularFile) : lastError());
    auto file = adopt(fd);
    if (file.isOpen() && ::ftruncate(file.fd_, 0) != 0) {
        auto error = lastError();
        file.close();
        return RegularFile(error);
    }
    file.size_ = 0;
    return file;
}

// Keeps the descriptor of a regular file, made blocking again; closes anything else.
RegularFile RegularFile::adopt(int fd) {
    struct stat info {};
    std::error_code error;
    if (::fstat(fd, &info) != 0) {
        error = lastError();
    } else if (!S_ISREG(info.st_mode)) {
        error = FileError::NotRegularFile;
    } else {
        int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) error = lastError();
    }
    if (error) {
        ::close(fd);
        return RegularFile(error);
    }
    return RegularFile(fd, static_cast<std::uint64_t>(info.st_size));
}

RegularFile::RegularFile(RegularFile&& other) noexcept : fd_(other.fd_), size_(other.size_), error_(other.error_) {
    other.fd_ = -1;
}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.fd_;
        size_ = other.size_;
        error_ = other.error_;
        other.fd_ = -1;
    }
    return *this;
}

RegularFile::~RegularFile() { close(); }

std::optional<std::size_t> RegularFile::read(void* buffer, std::size_t size) {
    auto bytes = static_cast<char*>(buffer);
    std::size_t filled = 0;
    while (filled < size) {
        ssize_t got = ::read(fd_, bytes + filled, size - filled);
        if (got < 0) {
            if (errno == EINTR) continue;
            error_ = lastError();
            return std::nullopt;
        }
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    return filled;
}

bool RegularFile::writeAll(const void* data, std::size_t size) {
    auto bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t put = ::write(fd_, bytes, size);
        if (put < 0) {
            if (errno == EINTR) continue;
            error_ = lastError();
            return false;
        }
        bytes += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

bool RegularFile::close() {
    if (fd_ < 0) return true;
    int fd = fd_;
    fd_ = -1;
    // After EINTR the descriptor is already released on Linux; retrying could close another.
    if (::close(fd) == 0 || errno == EINTR) return true;
    error_ = lastError();
    return false;
}

}  // namespace zel::fileio
