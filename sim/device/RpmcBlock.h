// The RPMC settings the host downloads with opcode 0x68 and its 148-byte data phase.
#pragma once

#include "device/CommandTable.h"

#include <cstdint>
#include <vector>

namespace zel::sim {

class RpmcBlock {
public:
    static constexpr size_t kSize = 148;

    const std::vector<uint8_t>& bytes() const { return bytes_; }
    unsigned downloads() const { return downloads_; }

    void install(CommandTable& table) {
        table.onData(0x68, [this](const Frame&, OutData& data, uint64_t length, uint64_t offset, CommandContext&) {
            if (offset == 0) {
                bytes_.clear();
                ++downloads_;
            }
            std::vector<uint8_t> piece(length);
            if (!data.read(piece)) return;
            bytes_.insert(bytes_.end(), piece.begin(), piece.end());
        });
    }

private:
    std::vector<uint8_t> bytes_;
    unsigned downloads_ = 0;
};

}  // namespace zel::sim
