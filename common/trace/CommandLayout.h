// How the command record of a transaction is laid out: which of its bytes are the address, which
// are dummy bytes and which are data, by the record's byte count, the opcode's Address / Dummy /
// AddressBytes entries and the addressing mode. Every view and writer takes its fields from here.
#pragma once

#include <array>
#include <cstdint>

#include "trace/CommandIoTable.h"
#include "trace/TraceRecord.h"

namespace zel::trace {

// The forms a command record takes; the text layouts have one entry per form.
enum class CommandShape : std::uint8_t {
    OpcodeOnly,        // 1 byte
    Bytes1,            // 2 bytes: opcode and one byte, no whole address
    Bytes2,            // 3 bytes
    Bytes3,            // 4 bytes, no whole address
    Addr3,             // 4 bytes: 3-byte address
    Bytes4,            // 5 bytes, opcode without address
    Bytes5,            // 6 bytes, opcode without address
    Addr3Data1,        // 5 bytes: 3-byte address, one data byte
    Addr3Dummy,        // 5 bytes: 3-byte address, one dummy byte
    Addr4,             // 5 bytes: 4-byte address
    Addr3Data2,        // 6 bytes: 3-byte address, two data bytes
    Addr3Dummy1Data1,  // 6 bytes: 3-byte address, one dummy byte, one data byte
    Addr3DummyOnly,    // 6 bytes: 3-byte address, two (or more) dummy bytes
    Addr4Data1,        // 6 bytes: 4-byte address, one data byte
    Addr4Dummy,        // 6 bytes: 4-byte address, a dummy byte
    Undecoded,         // raw I/O samples: the bytes come from the IoDecoder
};
inline constexpr std::size_t kCommandShapeCount = 16;

struct CommandLayout {
    CommandShape shape = CommandShape::OpcodeOnly;
    std::uint8_t opcode = 0;
    // The bytes shown after the opcode, in order: address bytes (masked, most significant first)
    // and then data bytes; dummy bytes are left out.
    std::array<std::uint8_t, 5> fields{};
    std::uint8_t fieldCount = 0;
    std::uint8_t addressBytes = 0;  // leading fields that are the address (0, 3 or 4)
    std::uint32_t address = 0;      // masked, when addressBytes > 0
    // Dummy bytes still to come in the continuation records (dropped there).
    std::uint32_t dummyAfter = 0;
};

// `decoded`: the emulator decodes the opcode itself (CommandTable); otherwise the shape is
// Undecoded and the raw bytes after the opcode go through the IoDecoder.
CommandLayout layOutCommand(RecordView command, const CommandIoTable& io, bool decoded, bool fourByteMode,
                            std::uint32_t addressMask);

// Sorts the decoded bytes of an undecoded opcode into address, dummy and data, as they arrive.
class UndecodedBytes {
public:
    enum class Role : std::uint8_t { Address, Dummy, Data };
    UndecodedBytes(unsigned addressWidth, std::uint32_t dummy) : address_(addressWidth), dummy_(dummy) {}
    Role next() {
        if (address_ > 0) return --address_, Role::Address;
        if (dummy_ > 0) return --dummy_, Role::Dummy;
        return Role::Data;
    }

private:
    unsigned address_;
    std::uint32_t dummy_;
};

}  // namespace zel::trace
