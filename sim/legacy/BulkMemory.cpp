#include "legacy/BulkMemory.h"

#include <algorithm>
#include <string>

namespace zel::sim {

bool BulkMemory::receive(OutData& data) {
    auto& w = *write_;
    const auto length = std::min(data.size(), w.left);
    if (data.size() > w.left)
        findings_.flag("bulk OUT of " + std::to_string(data.size()) + " bytes where the memory write expects " +
                       std::to_string(w.left));
    const auto kept = inside(w.address, length);
    if (kept < length) findings_.flag("memory write beyond the 256 MiB of memory");
    bool ok = memory_.writeFrom(w.address, kept, data);
    w.address += length;
    w.left -= length;
    return ok;
}

bool BulkMemory::send(uint64_t maxLength, InData& reply) {
    if (!read_ || read_->left == 0) return false;
    auto& r = *read_;
    const auto length = std::min(maxLength, r.left);
    const auto kept = inside(r.address, length);
    memory_.appendTo(r.address, kept, reply);
    reply.fill(0xFF, length - kept);
    r.address += length;
    r.left -= length;
    return true;
}

std::vector<uint8_t> BulkMemory::read(uint64_t address, uint64_t length) const {
    std::vector<uint8_t> bytes(length, 0xFF);
    memory_.read(address, std::span(bytes).first(inside(address, length)));
    return bytes;
}

}  // namespace zel::sim
