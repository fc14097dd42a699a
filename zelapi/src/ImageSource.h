// Where download and verify take the image from: the in-process buffer or a caller's host buffer,
// both read in place.
#pragma once

#include "vm_view.h"

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

// The host buffer from the handle to the end of the buffer holding it, kept mapped while the
// source lives (a vm_free on another thread meanwhile cannot pull it away), so a 256 MiB download
// goes to the device straight from it instead of through a copy.
class HostSource final : public ImageSource {
public:
    explicit HostSource(vm_ptr_t handle) : buffer_(vm::ReadView::toEnd(handle)) {}

    // An empty range needs no buffer.
    bool holds(uint64_t offset, uint64_t length) const override
    {
        return length == 0 || buffer_.part(offset, length).valid();
    }
    std::optional<std::span<const uint8_t>> view(uint64_t offset, uint64_t length) const override
    {
        const auto part = buffer_.part(offset, length);
        if (!part)
            return std::nullopt;
        return part.bytes();
    }
    bool copy(uint64_t offset, std::span<uint8_t> into) const override
    {
        if (into.empty())
            return true;
        const auto part = buffer_.part(offset, into.size());
        if (part)
            std::memcpy(into.data(), part.bytes().data(), into.size());
        return part.valid();
    }

private:
    vm::ReadView buffer_;
};

}  // namespace zel::api
