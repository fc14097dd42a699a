// Where download and verify take the image from: the in-process buffer, read in place, or a
// caller's host buffer, copied out in slices.
#pragma once

#include "HostBuffer.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

namespace zel::api {

class ImageSource {
public:
    virtual ~ImageSource() = default;
    // Every byte of [offset, offset + length) lies inside the buffer.
    virtual bool holds(uint64_t offset, uint64_t length) const = 0;
    // The bytes in place, when the source is ordinary memory (checked range only).
    virtual std::optional<std::span<const uint8_t>> view(uint64_t offset, uint64_t length) const = 0;
    // Copies a checked range out.
    virtual bool copy(uint64_t offset, std::span<uint8_t> into) const = 0;
};

class MemorySource final : public ImageSource {
public:
    explicit MemorySource(std::span<const uint8_t> buffer) : buffer_(buffer) {}

    bool holds(uint64_t offset, uint64_t length) const override
    {
        return offset <= buffer_.size() && length <= buffer_.size() - offset;
    }
    std::optional<std::span<const uint8_t>> view(uint64_t offset, uint64_t length) const override
    {
        return buffer_.subspan(offset, length);
    }
    bool copy(uint64_t offset, std::span<uint8_t> into) const override
    {
        if (!into.empty())
            std::memcpy(into.data(), buffer_.data() + offset, into.size());
        return true;
    }

private:
    std::span<const uint8_t> buffer_;
};

class HostSource final : public ImageSource {
public:
    explicit HostSource(vm_ptr_t handle) : buffer_(handle) {}

    bool holds(uint64_t offset, uint64_t length) const override { return buffer_.holds(offset, length); }
    std::optional<std::span<const uint8_t>> view(uint64_t, uint64_t) const override { return std::nullopt; }
    bool copy(uint64_t offset, std::span<uint8_t> into) const override { return buffer_.read(offset, into); }

private:
    HostBuffer buffer_;
};

}  // namespace zel::api
