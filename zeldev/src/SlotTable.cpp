#include "SlotTable.h"

namespace zel::zeldev {

namespace {
constexpr size_t kMaxBulkPipesPerDirection = 2;
}

Pipes sortPipes(const std::vector<transport::EndpointInfo>& endpoints)
{
    Pipes pipes;
    for (const auto& endpoint : endpoints) {
        if (endpoint.type == transport::EndpointType::Bulk) {
            auto& list = (endpoint.address & 0x80) != 0 ? pipes.bulkIn : pipes.bulkOut;
            if (list.size() < kMaxBulkPipesPerDirection)
                list.push_back(endpoint.address);
        } else if (endpoint.type == transport::EndpointType::Interrupt) {
            pipes.interrupt = endpoint.address;
        }
    }
    return pipes;
}

void SlotTable::release()
{
    for (auto& slot : slots_)
        slot = Slot{};
    openCount_ = 0;
    transport_.reset();
}

uint32_t SlotTable::fill()
{
    // Releasing first matters: a device still held by this process could not be opened a
    // second time, so re-enumerating without it would lose the device.
    release();
    transport_ = transport::makeTransport();
    if (!transport_)
        return 0;
    auto entries = transport_->enumerate(kVendorId, kProductId);
    for (size_t i = 0; i < entries.size() && i < kSlotCount; ++i) {
        if (!entries[i].handle)
            continue;
        slots_[i].pipes = sortPipes(entries[i].handle->interfaceEndpoints());
        slots_[i].handle = std::move(entries[i].handle);
        ++openCount_;
    }
    return openCount_;
}

Slot* SlotTable::usable(size_t index)
{
    if (openCount_ == 0 || index >= kSlotCount || !slots_[index].handle)
        return nullptr;
    return &slots_[index];
}

}  // namespace zel::zeldev
