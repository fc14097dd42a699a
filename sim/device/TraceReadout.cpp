#include "device/TraceReadout.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zel::sim {
namespace {

using target::TraceRecord;
using target::TraceStore;

// `count` blocks, each built from the store when the host reaches it.
class TraceBlocks final : public ReplySource {
public:
    TraceBlocks(TraceStore& store, uint64_t count) : store_(store), total_(count * TraceReadout::kBlockSize) {}

    uint64_t pending() const override { return total_ - position_; }

    void take(uint64_t n, InData& reply) override {
        while (n > 0) {
            const uint64_t inBlock = position_ % TraceReadout::kBlockSize;
            if (inBlock == 0) fillBlock();
            const uint64_t piece = std::min(n, TraceReadout::kBlockSize - inBlock);
            // Copied: a later block of the same read reuses the buffer.
            reply.copy(std::span<const uint8_t>(block_).subspan(inBlock, piece));
            position_ += piece;
            n -= piece;
        }
    }

private:
    void fillBlock() {
        std::array<TraceRecord, TraceReadout::kRecordsPerBlock> records;
        const size_t count = store_.takeUnread(records);
        block_.fill(kFiller);
        block_[0] = static_cast<uint8_t>(count >> 8);
        block_[1] = static_cast<uint8_t>(count);
        std::memcpy(block_.data() + 2, records.data(), count * sizeof(TraceRecord));
    }

    TraceStore& store_;
    uint64_t total_;
    uint64_t position_ = 0;
    std::array<uint8_t, TraceReadout::kBlockSize> block_{};
};

// `length` bytes of the retained records from the `first`-th oldest on; bytes past them read 0.
// Built piece by piece, so a large request costs no more memory than the records it reaches.
class RetainedRecords final : public ReplySource {
public:
    RetainedRecords(const TraceStore& store, uint32_t first, uint32_t length)
        : store_(store), first_(first), length_(length) {}

    uint64_t pending() const override { return length_ - position_; }

    void take(uint64_t n, InData& reply) override {
        const uint64_t end = position_ + n;
        const uint64_t recordsEnd = std::min<uint64_t>(end, store_.size() > first_ ? (store_.size() - first_) * 8 : 0);
        if (position_ < recordsEnd) {
            const auto records = store_.retained(static_cast<size_t>(first_ + position_ / 8),
                                                 static_cast<size_t>((recordsEnd - position_ / 8 * 8 + 7) / 8));
            std::vector<uint8_t> bytes;
            bytes.reserve(records.size() * 8);
            for (const auto& r : records) bytes.insert(bytes.end(), r.begin(), r.end());
            reply.copy(std::span<const uint8_t>(bytes).subspan(position_ % 8, recordsEnd - position_));
            position_ = recordsEnd;
        }
        if (position_ < end) reply.fill(0, end - position_);
        position_ = end;
    }

private:
    const TraceStore& store_;
    uint64_t first_;
    uint64_t length_;
    uint64_t position_ = 0;
};

}  // namespace

void TraceReadout::install(CommandTable& table) {
    table.onFrame(0xBC, [this](const Frame& f, CommandContext& context) {
        lastMode_ = f.byte(9);
        if (const uint32_t blocks = f.number(2, 3); blocks > 0) context.reply(std::make_unique<TraceBlocks>(store_, blocks));
    });
    table.onFrame(0xBB, [this](const Frame& f, CommandContext& context) {
        lastMode_ = f.byte(9);
        if (const uint32_t length = f.number(1, 4); length > 0) context.reply(std::make_unique<RetainedRecords>(store_, f.number(5, 4), length));
    });
    table.onFrame(0xBD, [this](const Frame&, CommandContext&) { store_.clear(); });
}

}  // namespace zel::sim
