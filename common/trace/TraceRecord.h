// One 8-byte SPI trace record as the emulator delivers it, and what a record is on its own.
//
//   timestamp record     FF FF  t47..t40 t39..t32 t31..t24 t23..t16 t15..t8 t7..t0  (10 ns ticks)
//   command record       seq  (frag=0)<<6 | bits   opcode  payload...
//   continuation record  seq  frag<<6 | bits       payload...
//   empty record         00   (skipped everywhere)
//
// `seq` runs 1..254 and then 1 again; `bits` (0..63) counts the valid bits from byte 2 on,
// opcode included. Whether a numbered record starts a command or continues one depends on the
// records before it: see SequenceTracker.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zel::trace {

inline constexpr std::size_t kRecordSize = 8;
// Bytes a record can carry after its two header bytes.
inline constexpr std::size_t kMaxPayload = 6;
// Timestamp ticks per second.
inline constexpr std::uint64_t kTicksPerSecond = 100'000'000;

using RecordBytes = std::array<std::uint8_t, kRecordSize>;

// What a record is by itself (byte 0 only: 0xFF is never a sequence number, 0 marks an empty slot).
enum class RecordClass : std::uint8_t { Empty, Timestamp, Numbered };

// A read-only view of one record inside a larger buffer; the buffer must outlive it.
class RecordView {
public:
    explicit RecordView(const std::uint8_t* bytes) : bytes_(bytes) {}
    explicit RecordView(std::span<const std::uint8_t, kRecordSize> bytes) : bytes_(bytes.data()) {}

    RecordClass recordClass() const {
        if (bytes_[0] == 0xFF) return RecordClass::Timestamp;
        return bytes_[0] == 0 ? RecordClass::Empty : RecordClass::Numbered;
    }
    std::uint8_t sequence() const { return bytes_[0]; }
    std::uint8_t fragment() const { return static_cast<std::uint8_t>(bytes_[1] >> 6); }
    std::uint8_t validBits() const { return bytes_[1] & 0x3F; }
    // ceil(bits / 8), never more than the six bytes the record holds (a bits value above 48
    // would otherwise name a seventh or eighth byte that lies in the next record).
    std::size_t payloadLength() const {
        const std::size_t n = (validBits() >> 3) + ((validBits() & 7) != 0 ? 1 : 0);
        return n < kMaxPayload ? n : kMaxPayload;
    }
    // Bytes 2.. that are valid; for a command record the first is the opcode.
    std::span<const std::uint8_t> payload() const { return {bytes_ + 2, payloadLength()}; }
    std::uint8_t opcode() const { return bytes_[2]; }
    std::uint8_t byte(std::size_t index) const { return bytes_[index]; }
    // Timestamp records: the 48-bit tick count of bytes 2..7, big-endian.
    std::uint64_t ticks() const {
        std::uint64_t value = 0;
        for (std::size_t i = 2; i < kRecordSize; ++i) value = value << 8 | bytes_[i];
        return value;
    }
    const std::uint8_t* data() const { return bytes_; }

private:
    const std::uint8_t* bytes_;
};

// Records in a byte buffer: whole records only (a partial record at the end is not one).
inline std::size_t recordCount(std::span<const std::uint8_t> bytes) { return bytes.size() / kRecordSize; }
inline RecordView recordAt(std::span<const std::uint8_t> bytes, std::size_t index) {
    return RecordView(bytes.data() + index * kRecordSize);
}

// "%u.%08u" of ticks / 10^8 and ticks % 10^8, in 64 bits (48-bit counts pass 2^32 ticks after
// 43 s of capture).
std::string formatTimestamp(std::uint64_t ticks);

// How a numbered record fits the stream before it.
enum class RecordRole : std::uint8_t {
    Skip,          // empty record
    Timestamp,     // starts a transaction
    Command,       // first record of a command (sequence advanced by one)
    Continuation,  // further bytes of the current command (same sequence, next fragment)
    Broken,        // none of these: shown as the separator; decoding resynchronises on it
};

// The sequence and fragment rules every reader of a trace shares. A tracker that has not seen a
// numbered record yet (after reset()) takes the next one as a command, whatever its number.
class SequenceTracker {
public:
    RecordRole classify(RecordView record);
    // Forget the expected sequence number: the next numbered record starts a command.
    void reset() { expected_ = 0; }
    std::uint8_t expectedSequence() const { return expected_; }

private:
    std::uint8_t expected_ = 0;  // 0: unknown
    std::uint8_t fragment_ = 0;
};

}  // namespace zel::trace
