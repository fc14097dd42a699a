#include "TraceStats.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "trace/AddressMode.h"
#include "trace/CommandLayout.h"
#include "trace/IoDecoder.h"

namespace zel::zeltrace {
namespace {

using namespace trace;

// The transaction being walked: its opcode, address and the data bytes seen so far.
struct Current {
    bool open = false, undecoded = false;
    std::uint8_t opcode = 0;
    std::optional<std::uint32_t> address;
    std::uint64_t data = 0;
    std::uint32_t dummyLeft = 0;
    UndecodedBytes roles{0, 0};
    IoDecoder io;
    std::uint32_t undecodedAddress = 0;
    unsigned undecodedAddressBytes = 0;
};

void merge(std::vector<std::pair<std::uint64_t, std::uint64_t>>& ranges) {
    std::sort(ranges.begin(), ranges.end());
    std::size_t out = 0;
    for (const auto& r : ranges) {
        if (out > 0 && r.first <= ranges[out - 1].second + 1) ranges[out - 1].second = std::max(ranges[out - 1].second, r.second);
        else ranges[out++] = r;
    }
    ranges.resize(out);
}

class StatsWalk {
public:
    StatsWalk(const DecodeContext& context) : context_(context), mode_(context.chip) {}

    void record(RecordView r) {
        ++stats_.records;
        switch (sequence_.classify(r)) {
        case RecordRole::Skip: ++stats_.empty; return;
        case RecordRole::Timestamp: return timestamp(r);
        case RecordRole::Command: command(r); break;
        case RecordRole::Continuation: continuation(r.payload()); break;
        case RecordRole::Broken: close(), ++stats_.breaks; break;
        }
        if (afterStamp_ && r.fragment() == 0) mode_.command(r.opcode());
        afterStamp_ = false;
    }

    TraceStats finish() {
        close();
        for (auto& op : stats_.opcodes) merge(op.ranges);
        return std::move(stats_);
    }

private:
    void timestamp(RecordView r) {
        close();
        ++stats_.transactions;
        if (!stats_.firstTicks) stats_.firstTicks = r.ticks();
        stats_.lastTicks = r.ticks();
        afterStamp_ = true;
    }

    void command(RecordView r) {
        close();
        const bool decoded = context_.decoded(r.opcode());
        const auto layout = layOutCommand(r, context_.io, decoded, mode_.fourByte(), context_.chip.addressMask());
        current_ = Current{};
        current_.open = true;
        current_.opcode = layout.opcode;
        current_.undecoded = !decoded;
        current_.dummyLeft = layout.dummyAfter;
        if (layout.addressBytes > 0 && decoded) current_.address = layout.address;
        current_.data = layout.fieldCount - (decoded ? layout.addressBytes : 0);
        if (!decoded) {
            current_.roles = UndecodedBytes(layout.addressBytes, layout.dummyAfter);
            current_.undecodedAddressBytes = layout.addressBytes;
            const auto payload = r.payload();
            if (payload.size() > 1) continuation(payload.subspan(1));
        }
    }

    void continuation(std::span<const std::uint8_t> bytes) {
        if (!current_.open) return;
        if (!current_.undecoded) {
            const std::uint32_t dropped = std::min<std::uint32_t>(current_.dummyLeft, static_cast<std::uint32_t>(bytes.size()));
            current_.dummyLeft -= dropped;
            current_.data += bytes.size() - dropped;
            return;
        }
        scratch_.clear();
        current_.io.feed(bytes, context_.io.ioMode(current_.opcode), scratch_);
        for (std::uint8_t b : scratch_) {
            switch (current_.roles.next()) {
            case UndecodedBytes::Role::Address:
                current_.undecodedAddress = current_.undecodedAddress << 8 | b;
                if (--current_.undecodedAddressBytes == 0)
                    current_.address = current_.undecodedAddress & context_.chip.addressMask();
                break;
            case UndecodedBytes::Role::Dummy: break;
            case UndecodedBytes::Role::Data: ++current_.data; break;
            }
        }
    }

    void close() {
        if (!current_.open) return;
        auto& op = stats_.opcodes[current_.opcode];
        ++op.transactions;
        op.dataBytes += current_.data;
        if (current_.address) {
            const std::uint64_t first = *current_.address;
            op.ranges.emplace_back(first, first + std::max<std::uint64_t>(current_.data, 1) - 1);
        }
        current_.open = false;
    }

    const DecodeContext& context_;
    TraceStats stats_;
    SequenceTracker sequence_;
    AddressModeTracker mode_;
    Current current_;
    bool afterStamp_ = false;
    std::vector<std::uint8_t> scratch_;
};

std::string sizeText(std::uint64_t bytes) {
    char text[32];
    if (bytes >= (1u << 20)) std::snprintf(text, sizeof text, "%" PRIu64 " MiB", bytes >> 20);
    else std::snprintf(text, sizeof text, "%" PRIu64 " KiB", bytes >> 10);
    return text;
}

}  // namespace

TraceStats collectStats(std::span<const std::uint8_t> records, const DecodeContext& context) {
    StatsWalk walk(context);
    for (std::size_t i = 0; i < recordCount(records); ++i) walk.record(recordAt(records, i));
    return walk.finish();
}

std::string formatStats(const TraceStats& stats, const DecodeContext& context, std::size_t rangesShown) {
    std::string out;
    char line[256];
    std::snprintf(line, sizeof line, "chip: %s, %s addresses at power-up%s, %s emulator\n",
                  sizeText(context.chip.size).c_str(), context.chip.fourByteAtPowerUp ? "4-byte" : "3-byte",
                  context.chip.fixedAddressing ? " (fixed)" : "",
                  context.model == EmulatorModel::G2 ? "G2" : "first-generation");
    out += line;
    std::snprintf(line, sizeof line, "records: %" PRIu64 " (%" PRIu64 " transactions, %" PRIu64 " empty, %" PRIu64 " breaks)\n",
                  stats.records, stats.transactions, stats.empty, stats.breaks);
    out += line;
    if (stats.firstTicks)
        out += "time: " + formatTimestamp(*stats.firstTicks) + " s to " + formatTimestamp(*stats.lastTicks) + " s\n";
    out += "\nopcode  transactions    data bytes  name\n";
    for (unsigned op = 0; op < 256; ++op) {
        const auto& s = stats.opcodes[op];
        if (s.transactions == 0) continue;
        std::snprintf(line, sizeof line, "%02X      %12" PRIu64 "  %12" PRIu64 "  ", op, s.transactions, s.dataBytes);
        out += line + context.io.name(static_cast<std::uint8_t>(op)) + "\n";
    }
    out += "\naddress ranges:\n";
    for (unsigned op = 0; op < 256; ++op) {
        const auto& ranges = stats.opcodes[op].ranges;
        if (ranges.empty()) continue;
        std::snprintf(line, sizeof line, "%02X ", op);
        out += line;
        for (std::size_t i = 0; i < ranges.size() && i < rangesShown; ++i) {
            std::snprintf(line, sizeof line, " 0x%08" PRIX64 "-0x%08" PRIX64, ranges[i].first, ranges[i].second);
            out += line;
        }
        if (ranges.size() > rangesShown) out += " (" + std::to_string(ranges.size() - rangesShown) + " more)";
        out += "\n";
    }
    return out;
}

}  // namespace zel::zeltrace
