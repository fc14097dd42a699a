// Read access in place to a range of one vm_mgr buffer, for callers that would otherwise copy
// large ranges out with vm_read only to pass them on. The range is checked as vm_read checks it:
// it must lie wholly inside one buffer. The view keeps the buffer's memory mapped while it lives,
// so a vm_free meanwhile (from any thread) ends the handle but never pulls the bytes from under
// the view; the memory goes back to the system with the last view.
#pragma once

#include "vm_mgr.h"

#include <cstdint>
#include <memory>
#include <span>
#include <utility>

namespace zel::vm {

class ZEL_EXPORT ReadView {
public:
    ReadView() = default;

    // [address, address + length) when it lies inside one buffer; an invalid view otherwise.
    static ReadView of(vm_ptr_t address, uint64_t length);
    // From address to the end of the buffer holding it; invalid when no buffer holds it.
    static ReadView toEnd(vm_ptr_t address);

    bool valid() const { return mapping_ != nullptr; }
    explicit operator bool() const { return valid(); }
    std::span<const uint8_t> bytes() const { return bytes_; }
    uint64_t size() const { return bytes_.size(); }

    // [offset, offset + length) of this view, sharing its hold on the buffer; invalid when the
    // range does not lie inside the view.
    ReadView part(uint64_t offset, uint64_t length) const;

private:
    ReadView(std::shared_ptr<const void> mapping, std::span<const uint8_t> bytes)
        : mapping_(std::move(mapping)), bytes_(bytes)
    {
    }

    std::shared_ptr<const void> mapping_;
    std::span<const uint8_t> bytes_;
};

}  // namespace zel::vm
