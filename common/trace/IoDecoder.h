// Turns raw I/O samples of an undecoded opcode into data bytes. Each raw byte holds two bus
// clocks (high nibble first), each nibble the lines IO3..IO0.
//
//   IO_Mode 1, 2       two raw bytes per data byte: IO1 and IO0 of each clock
//   IO_Mode 3, 4       one raw byte per data byte: all four lines
//   anything else      four raw bytes per data byte: IO0 only
//
// Raw bytes that do not yet make a whole data byte are carried into the next feed, so one command
// may be fed record by record.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zel::trace {

class IoDecoder {
public:
    static unsigned rawBytesPerByte(std::uint32_t ioMode);

    // Decodes as much of carry + raw as makes whole bytes and appends them to `out`.
    void feed(std::span<const std::uint8_t> raw, std::uint32_t ioMode, std::vector<std::uint8_t>& out);
    // Drops the carry (a new command starts).
    void reset() { carryLength_ = 0; }
    unsigned carried() const { return carryLength_; }

private:
    std::uint8_t carry_[4] = {};
    unsigned carryLength_ = 0;
};

}  // namespace zel::trace
