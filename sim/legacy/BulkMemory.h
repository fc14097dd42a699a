// The earlier design's memory as its bulk pipes reach it: a vendor request starts a read
// (bulk IN) or a write (bulk OUT) of a number of 512-byte blocks at an address; another ends it.
#pragma once

#include "core/Findings.h"
#include "core/SparseMemory.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace zel::sim {

class BulkMemory {
public:
    static constexpr uint64_t kSize = uint64_t{256} << 20;
    static constexpr uint64_t kBlock = 512;

    explicit BulkMemory(Findings& findings) : findings_(findings) {}

    void startRead(uint32_t address, uint64_t blocks) { read_ = Window{address, blocks * kBlock}; }
    void startWrite(uint32_t address, uint64_t blocks) { write_ = Window{address, blocks * kBlock}; }
    void end() { read_.reset(); write_.reset(); }

    bool writeActive() const { return write_ && write_->left > 0; }
    // Takes a bulk OUT into the started write; bytes beyond the announced blocks are dropped.
    bool receive(OutData& data);
    // False when no read is started or it is used up.
    bool send(uint64_t maxLength, InData& reply);
    std::vector<uint8_t> read(uint64_t address, uint64_t length) const;
    void clear() { end(); memory_.clear(); }

private:
    struct Window {
        uint64_t address;
        uint64_t left;
    };
    static uint64_t inside(uint64_t address, uint64_t length) {
        return address >= kSize ? 0 : std::min(length, kSize - address);
    }

    Findings& findings_;
    SparseMemory memory_{kSize};
    std::optional<Window> read_;
    std::optional<Window> write_;
};

}  // namespace zel::sim
