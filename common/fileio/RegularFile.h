// A descriptor of a regular file that closes itself. Nothing else is ever opened through it: a FIFO
// blocks the open until a peer appears and a device such as /dev/zero never ends, so either would
// hang a program that meant to read or write a file; a folder holds no bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>

namespace zel::fileio {

// Something other than a regular file (a FIFO, a device, a socket, a folder) exists at path.
// Symbolic links are followed; nothing is opened.
bool namesNonRegularFile(const std::filesystem::path& path);

class RegularFile {
public:
    // Refuses what is not a regular file without waiting for a FIFO's writer.
    static RegularFile openForReading(const std::filesystem::path& path);
    // Creates a regular file or empties an existing one. An existing FIFO, device, socket or
    // folder is refused, whether or not something holds its other end, and receives nothing.
    static RegularFile createForWriting(const std::filesystem::path& path);

    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&& other) noexcept;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;
    ~RegularFile();

    bool isOpen() const { return fd_ >= 0; }
    // Why the open or the last read or write failed: an errno value or FileError::NotRegularFile.
    const std::error_code& error() const { return error_; }
    // The size when the file was opened.
    std::uint64_t size() const { return size_; }

    // Fills as much of buffer as the file still holds; 0 at the end, nothing on an I/O error.
    std::optional<std::size_t> read(void* buffer, std::size_t size);
    bool writeAll(const void* data, std::size_t size);
    // Reports the deferred write errors that only closing reveals.
    bool close();

private:
    explicit RegularFile(std::error_code error) : error_(error) {}
    RegularFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    static RegularFile adopt(int fd);

    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::error_code error_;
};

}  // namespace zel::fileio
