#include "BufferRegistry.h"

#include <sys/mman.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace zel::vm {
namespace {

constexpr uint64_t kLargePage = uint64_t{2} << 20;

std::string bufferName(uint64_t handle, uint64_t size)
{
    char text[64];
    std::snprintf(text, sizeof text, "vm:0x%016" PRIx64 "+0x%" PRIx64, handle, size);
    return text;
}

void* addressOf(uint64_t handle)
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(handle));
}

}  // namespace

BufferRegistry& BufferRegistry::instance()
{
    // Never destroyed: other static destructors may still use their buffers at exit, and the
    // system reclaims the mappings with the process.
    static BufferRegistry& registry = *new BufferRegistry;
    return registry;
}

uint64_t BufferRegistry::allocate(uint64_t size)
{
    if (size == 0 || !fitsAddressSpace(size))
        return 0;
    void* memory = mmap(nullptr, static_cast<size_t>(size), PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return 0;
#ifdef MADV_HUGEPAGE
    // Images of many MiB go to the device in single transfers; large pages spare the copy into
    // the transport thousands of page-table walks. Only a hint.
    if (size >= kLargePage)
        madvise(memory, static_cast<size_t>(size), MADV_HUGEPAGE);
#endif
    const auto handle = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(memory));
    std::shared_ptr<const void> mapping;
    try {
        mapping.reset(memory, [length = static_cast<size_t>(size)](const void* base) {
            munmap(const_cast<void*>(base), length);
        });
    } catch (...) {
        munmap(memory, static_cast<size_t>(size));
        return 0;
    }
    try {
        std::unique_lock lock(mutex_);
        buffers_.emplace(handle, Buffer{size, bufferName(handle, size), std::move(mapping)});
    } catch (...) {
        return 0;
    }
    return handle;
}

BufferRegistry::Table::const_iterator BufferRegistry::containing(uint64_t address, uint64_t length) const
{
    auto next = buffers_.upper_bound(address);
    if (next == buffers_.begin())
        return buffers_.end();
    auto candidate = std::prev(next);
    const uint64_t offset = address - candidate->first;
    // Written without address + length so that no sum can wrap past 2^64.
    if (offset > candidate->second.size || length > candidate->second.size - offset)
        return buffers_.end();
    return candidate;
}

bool BufferRegistry::read(std::span<std::byte> destination, uint64_t address) const
{
    if (destination.data() == nullptr && !destination.empty())
        return false;
    std::shared_lock lock(mutex_);
    if (containing(address, destination.size()) == buffers_.end())
        return false;
    if (!destination.empty())
        std::memmove(destination.data(), reinterpret_cast<const void*>(static_cast<uintptr_t>(address)),
                    destination.size());
    return true;
}

bool BufferRegistry::write(uint64_t address, std::span<const std::byte> source)
{
    if (source.data() == nullptr && !source.empty())
        return false;
    // Shared: writers touch only buffer bytes, never the table.
    std::shared_lock lock(mutex_);
    if (containing(address, source.size()) == buffers_.end())
        return false;
    if (!source.empty())
        std::memmove(reinterpret_cast<void*>(static_cast<uintptr_t>(address)), source.data(), source.size());
    return true;
}

bool BufferRegistry::release(uint64_t handle)
{
    std::unique_lock lock(mutex_);
    auto found = buffers_.find(handle);
    if (found == buffers_.end())
        return false;
    buffers_.erase(found);
    return true;
}

const char* BufferRegistry::describe(uint64_t address) const
{
    std::shared_lock lock(mutex_);
    auto found = containing(address, 1);
    return found == buffers_.end() ? nullptr : found->second.name.c_str();
}

PinnedRange BufferRegistry::pinned(Table::const_iterator buffer, uint64_t address,
                                                   uint64_t length) const
{
    if (buffer == buffers_.end())
        return {};
    const auto* bytes = static_cast<const uint8_t*>(addressOf(address));
    return {buffer->second.mapping, std::span(bytes, static_cast<size_t>(length))};
}

PinnedRange BufferRegistry::pin(uint64_t address, uint64_t length) const
{
    if (!fitsAddressSpace(length))
        return {};
    std::shared_lock lock(mutex_);
    return pinned(containing(address, length), address, length);
}

PinnedRange BufferRegistry::pinToEnd(uint64_t address) const
{
    std::shared_lock lock(mutex_);
    auto buffer = containing(address, 1);
    if (buffer == buffers_.end())
        return {};
    return pinned(buffer, address, buffer->second.size - (address - buffer->first));
}

}  // namespace zel::vm
