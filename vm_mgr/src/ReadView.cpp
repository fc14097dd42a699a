#include "vm_view.h"

#include "BufferRegistry.h"

namespace zel::vm {

ReadView ReadView::of(vm_ptr_t address, uint64_t length)
{
    auto pinned = BufferRegistry::instance().pin(address, length);
    if (!pinned.mapping)
        return {};
    return ReadView(std::move(pinned.mapping), pinned.bytes);
}

ReadView ReadView::toEnd(vm_ptr_t address)
{
    auto pinned = BufferRegistry::instance().pinToEnd(address);
    if (!pinned.mapping)
        return {};
    return ReadView(std::move(pinned.mapping), pinned.bytes);
}

ReadView ReadView::part(uint64_t offset, uint64_t length) const
{
    if (!valid() || offset > bytes_.size() || length > bytes_.size() - offset)
        return {};
    return ReadView(mapping_, bytes_.subspan(static_cast<size_t>(offset), static_cast<size_t>(length)));
}

}  // namespace zel::vm
