#include "ReadBack.h"

#include "DeviceMemory.h"
#include "HostBuffer.h"
#include "OperationProgress.h"
#include "WorkBuffer.h"
#include "zelapi.h"

#include <algorithm>

namespace zel::api {
namespace {

constexpr uint64_t kReadUnit = 512;

uint64_t chipSizeOf(CProject& project, const TargetAddress& target)
{
    return project.chipSizes()[target.target()];
}

TransferResult resultOf(bool ok)
{
    return ok ? TransferResult::Done : TransferResult::Failed;
}

}  // namespace

TransferResult readIntoImageBuffer(CProject& project, uint32_t address, uint32_t length, size_t device)
{
    const TargetAddress target(address);
    const RangeCheck range = checkReadBack(target.offset, length, chipSizeOf(project, target));
    if (!range.allowed())
        return range.result;
    auto buffer = project.imageBuffer();
    if (range.count > buffer.size())
        return TransferResult::Failed;
    if (range.count == 0)
        return TransferResult::Done;
    OperationProgress progress(ZEL_OP_READ, device, range.count);
    if (!progress.proceed())
        return TransferResult::Failed;
    return resultOf(DeviceMemory(device, target.targetBit, &progress).read(target.offset, buffer.first(range.count)));
}

TransferResult readIntoHostBuffer(CProject& project, vm_ptr_t* host, uint32_t address, uint32_t length,
                                  uint32_t capacity, size_t device)
{
    const TargetAddress target(address);
    const RangeCheck range = checkReadBack(target.offset, length, chipSizeOf(project, target));
    if (!range.allowed())
        return range.result;
    const uint64_t total = std::min<uint64_t>(range.count, capacity);
    if (total == 0)
        return TransferResult::Done;
    if (host == nullptr || !HostBuffer(*host).holds(0, total))
        return TransferResult::Failed;

    OperationProgress progress(ZEL_OP_READ, device, total);
    if (!progress.proceed())
        return TransferResult::Failed;
    const HostBuffer destination(*host);
    const DeviceMemory memory(device, target.targetBit, &progress);
    const uint64_t parts = total <= kHostSlice ? 1 : 4;
    const uint64_t part = total / parts;
    WorkBuffer work(total - (parts - 1) * part);
    for (uint64_t k = 0; k < parts; ++k) {
        const uint64_t at = k * part;
        auto bytes = work.bytes().first(k + 1 < parts ? part : total - at);
        if (!memory.read(target.offset + at, bytes) || !destination.write(at, bytes))
            return TransferResult::Failed;
    }
    return TransferResult::Done;
}

TransferResult readIntoByteVector(CProject& project, uint32_t address, uint32_t length, size_t device)
{
    const TargetAddress target(address);
    const uint64_t chipSize = chipSizeOf(project, target);
    const RangeCheck range = checkReadBack(target.offset, length, chipSize);
    if (!range.allowed())
        return range.result;
    auto& vector = project.byteVector();
    vector.clear();
    if (range.count == 0)
        return TransferResult::Done;
    const uint64_t start = roundDown(target.offset, kReadUnit);
    const uint64_t end = std::min(roundUp(target.offset + range.count, kReadUnit), chipSize);
    OperationProgress progress(ZEL_OP_READ, device, end - start);
    if (!progress.proceed())
        return TransferResult::Failed;
    WorkBuffer work(end - start);
    if (!DeviceMemory(device, target.targetBit, &progress).read(start, work.bytes()))
        return TransferResult::Failed;
    const auto wanted = work.bytes().subspan(target.offset - start, range.count);
    vector.assign(wanted.begin(), wanted.end());
    return TransferResult::Done;
}

}  // namespace zel::api
