// Owners of the two system resources a share segment holds: a file descriptor and a mapping.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <utility>

namespace zel::api::share {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

class SharedMapping {
public:
    SharedMapping() = default;
    SharedMapping(void* address, size_t size) : address_(address), size_(size) {}
    ~SharedMapping()
    {
        if (address_ != nullptr)
            ::munmap(address_, size_);
    }
    SharedMapping(SharedMapping&& other) noexcept
        : address_(std::exchange(other.address_, nullptr)), size_(std::exchange(other.size_, 0))
    {
    }
    SharedMapping& operator=(SharedMapping&& other) noexcept
    {
        std::swap(address_, other.address_);
        std::swap(size_, other.size_);
        return *this;
    }
    void* address() const { return address_; }
    explicit operator bool() const { return address_ != nullptr; }

private:
    void* address_ = nullptr;
    size_t size_ = 0;
};

}  // namespace zel::api::share
