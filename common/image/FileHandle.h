// A file descriptor that closes itself: the readers pull large blocks and the writers push
// large blocks through it, with no stream layer in between.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace zel::image::detail {

class FileHandle {
public:
    static FileHandle openForReading(const std::filesystem::path& path);
    // Creates or truncates.
    static FileHandle createForWriting(const std::filesystem::path& path);

    FileHandle(FileHandle&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    bool isOpen() const { return fd_ >= 0; }
    bool isRegularFile() const { return regularFileSize().has_value(); }
    // Size of a regular file; nullopt for anything else (pipes, devices).
    std::optional<uint64_t> regularFileSize() const;
    // Fills as much of buffer as the file still holds; 0 at the end, nullopt on an I/O error.
    std::optional<size_t> read(void* buffer, size_t size);
    bool writeAll(const void* data, size_t size);
    // Reports the deferred write errors that only closing reveals.
    bool close();

private:
    explicit FileHandle(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace zel::image::detail
