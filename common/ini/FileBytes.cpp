#include "ini/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "fileio/WholeFile.h"
#include "ini/TemporaryFiles.h"

namespace zel::ini {
namespace {

std::error_code lastError() { return {errno, std::generic_category()}; }

// Closes the descriptor and removes the temporary file unless it was published.
class TemporaryFile {
public:
    TemporaryFile(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!published_) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_; }
    const std::filesystem::path& path() const { return path_; }
    std::error_code close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? std::error_code{} : lastError();
    }
    void markPublished() { published_ = true; }

private:
    int fd_;
    std::filesystem::path path_;
    bool published_ = false;
};

std::filesystem::path followLinks(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec)) return path;
    auto resolved = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : resolved;
}

std::optional<TemporaryFile> createTemporaryBeside(const std::filesystem::path& target, std::error_code& error) {
    static std::atomic<unsigned> counter{0};
    auto folder = target.parent_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto name = temporaryName(target.filename().string(), ::getpid(), counter++);
        auto candidate = folder.empty() ? std::filesystem::path(name) : folder / name;
        // Mode 0666 lets the umask decide for a new file, as for any other file the user creates.
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return std::optional<TemporaryFile>(std::in_place, fd, candidate);
        if (errno != EEXIST) {
            error = lastError();
            return std::nullopt;
        }
    }
    error = std::make_error_code(std::errc::file_exists);
    return std::nullopt;
}

std::error_code writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return lastError();
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return {};
}

void syncFolder(const std::filesystem::path& file) {
    auto folder = file.parent_path();
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::optional<std::string> readFileBytes(const std::filesystem::path& path, std::error_code& error) {
    return fileio::readWholeText(path, kMaxTextFileBytes, error);
}

std::error_code createFileExclusively(const std::filesystem::path& path, std::string_view bytes) {
    std::error_code error;
    auto temporary = createTemporaryBeside(path, error);
    if (!temporary) return error;
    if (auto e = writeAll(temporary->fd(), bytes)) return e;
    if (::fsync(temporary->fd()) != 0) return lastError();
    if (auto e = temporary->close()) return e;
    // A hard link publishes the finished file and, unlike rename, never replaces an existing one.
    if (::link(temporary->path().c_str(), path.c_str()) == 0) {
        syncFolder(path);
        return {};
    }
    if (errno == EEXIST) return std::make_error_code(std::errc::file_exists);
    // File systems without hard links: exclusive creation, written in place.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno == EEXIST ? std::make_error_code(std::errc::file_exists) : lastError();
    auto e = writeAll(fd, bytes);
    if (::close(fd) != 0 && !e) e = lastError();
    if (e) ::unlink(path.c_str());
    return e;
}

std::error_code writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    const auto target = followLinks(path);
    std::error_code error;
    auto temporary = createTemporaryBeside(target, error);
    if (!temporary) return error;

    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && ::fchmod(temporary->fd(), existing.st_mode & 07777) != 0)
        return lastError();
    if (auto e = writeAll(temporary->fd(), bytes)) return e;
    if (::fsync(temporary->fd()) != 0) return lastError();
    if (auto e = temporary->close()) return e;
    if (::rename(temporary->path().c_str(), target.c_str()) != 0) return lastError();
    temporary->markPublished();
    syncFolder(target);
    removeStaleTemporaries(target);
    return {};
}

}  // namespace zel::ini
