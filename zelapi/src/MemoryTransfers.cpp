#include "MemoryTransfers.h"

#include "DeviceMemory.h"
#include "Log.h"
#include "OperationProgress.h"
#include "WorkBuffer.h"
#include "zelapi.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace zel::api {
namespace {

void logStep(const DownloadRequest& request, const char* text)
{
    if (request.logSteps)
        log_level_add_ascii(0, "%s", text);
}

// The image covers whole blocks: it goes out as it is, straight from the source when the source
// is ordinary memory.
bool writeWholeBlocks(const DeviceMemory& memory, const ImageSource& source, uint64_t sourceOffset,
                      uint64_t offset, uint64_t count)
{
    if (auto bytes = source.view(sourceOffset, count))
        return memory.write(offset, *bytes);
    WorkBuffer work(count);
    return source.copy(sourceOffset, work.bytes()) && memory.write(offset, work.bytes());
}

// The blocks the image touches are read where it covers them only partly, patched with the
// image and written back in one transfer.
bool rewriteBlocks(const DeviceMemory& memory, const ImageSource& source, uint64_t sourceOffset,
                   uint64_t offset, uint64_t count, const BlockSpan& blocks)
{
    WorkBuffer work(blocks.length());
    auto bytes = work.bytes();
    if (blocks.readHead) {
        auto head = bytes.first(std::min<uint64_t>(kBlockSize, blocks.length()));
        if (!memory.read(blocks.start, head))
            return false;
    }
    if (blocks.readTail) {
        auto tail = bytes.subspan(blocks.lastBlock - blocks.start);
        if (!memory.read(blocks.lastBlock, tail))
            return false;
    }
    if (!source.copy(sourceOffset, bytes.subspan(offset - blocks.start, count)))
        return false;
    return memory.write(blocks.start, bytes);
}

// Every byte a download moves, the blocks it reads first included.
uint64_t downloadTraffic(const DownloadRequest& request, uint64_t offset, uint64_t count, uint64_t chipSize)
{
    if (!request.keepContent)
        return chipSize;
    const BlockSpan blocks = blocksOf(offset, count, chipSize);
    const uint64_t head = blocks.readHead ? std::min<uint64_t>(kBlockSize, blocks.length()) : 0;
    const uint64_t tail = blocks.readTail ? blocks.end - blocks.lastBlock : 0;
    return blocks.length() + head + tail;
}

bool keepContent(const DeviceMemory& memory, const ImageSource& source, const DownloadRequest& request,
                 uint64_t offset, uint64_t count, uint64_t chipSize)
{
    const BlockSpan blocks = blocksOf(offset, count, chipSize);
    if (!blocks.aligned())
        return rewriteBlocks(memory, source, request.sourceOffset, offset, count, blocks);
    logStep(request, "\t\tdownload file to zelmorpro, boNoChangeContent ");
    return writeWholeBlocks(memory, source, request.sourceOffset, offset, count);
}

// The whole chip is written: the image at its offset, the fill value everywhere else.
bool fillChip(const DeviceMemory& memory, const ImageSource& source, const DownloadRequest& request,
              uint64_t offset, uint64_t count, uint64_t chipSize)
{
    logStep(request, "\t\tdownload file to zelmorpro, Fill Value with bFillMask ");
    WorkBuffer work(chipSize);
    auto bytes = work.bytes();
    std::memset(bytes.data(), request.fillValue, offset);
    std::memset(bytes.data() + offset + count, request.fillValue, chipSize - offset - count);
    if (!source.copy(request.sourceOffset, bytes.subspan(offset, count)))
        return false;
    logStep(request, "\t\tstart WRITE_PARTIAL_MEMORY");
    const bool written = memory.write(0, bytes);
    logStep(request, "\t\tend WRITE_PARTIAL_MEMORY");
    return written;
}

}  // namespace

TransferResult download(const ImageSource& source, const DownloadRequest& request, uint64_t chipSize)
{
    const TargetAddress target(request.address);
    const RangeCheck range = checkDownload(target.offset, request.length, chipSize, request.truncate);
    if (!range.allowed())
        return range.result;
    if (!source.holds(request.sourceOffset, range.count))
        return TransferResult::Failed;
    OperationProgress progress(ZEL_OP_DOWNLOAD, request.device,
                               downloadTraffic(request, target.offset, range.count, chipSize));
    if (!progress.proceed())
        return TransferResult::Failed;
    const DeviceMemory memory(request.device, target.targetBit, &progress);
    const bool written = request.keepContent
                             ? keepContent(memory, source, request, target.offset, range.count, chipSize)
                             : fillChip(memory, source, request, target.offset, range.count, chipSize);
    return written ? TransferResult::Done : TransferResult::Failed;
}

TransferResult verify(const ImageSource& source, const VerifyRequest& request, uint64_t chipSize)
{
    const TargetAddress target(request.address);
    const RangeCheck range = checkVerify(target.offset, request.length, chipSize);
    if (!range.allowed())
        return range.result;
    if (!source.holds(request.sourceOffset, range.count))
        return TransferResult::Failed;
    if (range.count == 0)
        return TransferResult::Done;

    // Whole blocks are read where the chip has them, as the device is written.
    const uint64_t first = target.offset;
    const uint64_t stop = first + range.count;
    const uint64_t readStart = roundDown(first, kBlockSize);
    const uint64_t readEnd = std::min(roundUp(stop, kBlockSize), chipSize);
    const uint64_t chunk = std::min(std::max<uint64_t>(request.readChunk, 1), readEnd - readStart);

    OperationProgress progress(ZEL_OP_VERIFY, request.device, readEnd - readStart);
    if (!progress.proceed())
        return TransferResult::Failed;
    const DeviceMemory memory(request.device, target.targetBit, &progress);
    WorkBuffer deviceBytes(chunk);
    std::optional<WorkBuffer> sourceBytes;
    for (uint64_t at = readStart; at < readEnd; at += chunk) {
        auto got = deviceBytes.bytes().first(std::min(chunk, readEnd - at));
        if (!memory.read(at, got))
            return TransferResult::Failed;
        // The part of this chunk that the image covers.
        const uint64_t from = std::max(at, first);
        const uint64_t to = std::min(at + got.size(), stop);
        if (from >= to)
            continue;
        const uint64_t sourceAt = request.sourceOffset + (from - first);
        auto expected = source.view(sourceAt, to - from);
        if (!expected) {
            if (!sourceBytes)
                sourceBytes.emplace(chunk);
            auto copied = sourceBytes->bytes().first(to - from);
            if (!source.copy(sourceAt, copied))
                return TransferResult::Failed;
            expected = copied;
        }
        if (std::memcmp(got.data() + (from - at), expected->data(), to - from) != 0)
            return TransferResult::Failed;
    }
    return TransferResult::Done;
}

}  // namespace zel::api
