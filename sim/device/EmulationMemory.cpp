#include "device/EmulationMemory.h"

#include "device/ReplyQueue.h"
#include "simwire/DataDigest.h"

#include <algorithm>
#include <cstdio>

namespace zel::sim {
namespace {

// A read reply that is taken from memory as the host reads it, so a large read is never copied.
class MemoryReply final : public ReplySource {
public:
    MemoryReply(const EmulationMemory& memory, EmulationMemory::Location at, uint64_t length)
        : memory_(memory), at_(at), left_(length) {}
    uint64_t pending() const override { return left_; }
    void take(uint64_t n, InData& reply) override {
        memory_.appendTo(at_, n, reply);
        at_.offset += n;
        left_ -= n;
    }

private:
    const EmulationMemory& memory_;
    EmulationMemory::Location at_;
    uint64_t left_;
};

}  // namespace

bool EmulationMemory::write(Location at, uint64_t length, OutData& data) {
    const auto kept = inside(at.offset, length);
    if (kept < length) {
        char text[128];
        std::snprintf(text, sizeof text,
                      "memory write to slot %u offset 0x%llx: %llu bytes lie beyond the slot's 256 MiB", at.slot,
                      static_cast<unsigned long long>(at.offset), static_cast<unsigned long long>(length - kept));
        findings_.flag(text);
    }
    return slots_[at.slot].writeFrom(at.offset, kept, data) && data.skip(length - kept);
}

void EmulationMemory::appendTo(Location at, uint64_t length, InData& reply) const {
    const auto kept = inside(at.offset, length);
    slots_[at.slot].appendTo(at.offset, kept, reply);
    reply.fill(0xFF, length - kept);
}

std::vector<uint8_t> EmulationMemory::read(Location at, uint64_t length) const {
    std::vector<uint8_t> bytes(length, 0xFF);
    slots_[at.slot].read(at.offset, std::span(bytes).first(inside(at.offset, length)));
    return bytes;
}

void EmulationMemory::fill(Location at, uint64_t length, uint8_t value) {
    slots_[at.slot].fill(at.offset, inside(at.offset, length), value);
}

uint64_t EmulationMemory::digest(Location at, uint64_t length) const {
    InData bytes;  // pieces point into the memory: nothing is copied
    appendTo(at, length, bytes);
    simwire::DataDigest digest;
    for (auto piece : bytes.parts()) digest.update(piece);
    return digest.value();
}

void EmulationMemory::applyCorruption(Location phaseStart, uint64_t pieceOffset, uint64_t pieceLength) {
    if (!corruptAt_ || *corruptAt_ < pieceOffset || *corruptAt_ - pieceOffset >= pieceLength) return;
    const Location at{phaseStart.slot, phaseStart.offset + *corruptAt_};
    corruptAt_.reset();
    if (inside(at.offset, 1) == 0) return;
    uint8_t byte = 0;
    slots_[at.slot].read(at.offset, std::span(&byte, 1));
    byte = static_cast<uint8_t>(~byte);
    slots_[at.slot].write(at.offset, std::span(&byte, 1));
}

void EmulationMemory::clear() {
    for (auto& slot : slots_) slot.clear();
}

void EmulationMemory::install(CommandTable& table) {
    table.onData(0x40, [this](const Frame& f, OutData& data, uint64_t length, uint64_t offset, CommandContext&) {
        const auto start = locate(f.number(1, 4));
        write({start.slot, start.offset + offset}, length, data);
        applyCorruption(start, offset, length);
    });
    table.onFrame(0x41, [this](const Frame& f, CommandContext& context) {
        if (auto length = f.number(5, 4); length > 0)
            context.reply(std::make_unique<MemoryReply>(*this, locate(f.number(1, 4)), length));
    });
}

}  // namespace zel::sim
