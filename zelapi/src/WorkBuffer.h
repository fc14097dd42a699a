// Scratch memory for one transfer: allocated without being cleared, since every byte is
// written before it is sent or compared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace zel::api {

class WorkBuffer {
public:
    // Throws std::bad_alloc when the memory is not available.
    explicit WorkBuffer(size_t size);

    std::span<uint8_t> bytes() { return {bytes_.get(), size_}; }

private:
    std::unique_ptr<uint8_t[]> bytes_;
    size_t size_;
};

}  // namespace zel::api
