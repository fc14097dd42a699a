#include "trace/CommandLayout.h"

#include <algorithm>

namespace zel::trace {
namespace {

constexpr CommandShape kBytesShapes[] = {CommandShape::OpcodeOnly, CommandShape::Bytes1, CommandShape::Bytes2,
                                         CommandShape::Bytes3,     CommandShape::Bytes4, CommandShape::Bytes5};

// Shape by address width, bytes after the address and how many of those are dummy bytes.
CommandShape addressShape(unsigned width, std::size_t rest, std::size_t dropped) {
    if (width == 3) {
        if (rest == 0) return CommandShape::Addr3;
        if (rest == 1) return dropped ? CommandShape::Addr3Dummy : CommandShape::Addr3Data1;
        if (dropped == 0) return CommandShape::Addr3Data2;
        return dropped == 1 ? CommandShape::Addr3Dummy1Data1 : CommandShape::Addr3DummyOnly;
    }
    if (rest == 0) return CommandShape::Addr4;
    return dropped ? CommandShape::Addr4Dummy : CommandShape::Addr4Data1;
}

}  // namespace

CommandLayout layOutCommand(RecordView command, const CommandIoTable& io, bool decoded, bool fourByteMode,
                            std::uint32_t addressMask) {
    CommandLayout layout;
    layout.opcode = command.opcode();
    const auto payload = command.payload();
    const auto after = payload.empty() ? payload : payload.subspan(1);
    const unsigned width = io.addressWidth(layout.opcode, fourByteMode);
    const std::uint32_t dummy = io.dummy(layout.opcode);
    if (!decoded) {
        layout.shape = CommandShape::Undecoded;
        layout.addressBytes = static_cast<std::uint8_t>(width);
        layout.dummyAfter = dummy;
        return layout;
    }
    if (width == 0 || after.size() < width) {
        layout.shape = kBytesShapes[after.size()];
        for (std::size_t i = 0; i < after.size(); ++i) layout.fields[i] = after[i];
        layout.fieldCount = static_cast<std::uint8_t>(after.size());
        return layout;
    }
    std::uint32_t address = 0;
    for (unsigned i = 0; i < width; ++i) address = address << 8 | after[i];
    const std::uint32_t mask = width == 3 ? (addressMask & 0xFFFFFF) : addressMask;
    address &= mask;
    layout.address = address;
    layout.addressBytes = static_cast<std::uint8_t>(width);
    for (unsigned i = 0; i < width; ++i) layout.fields[i] = static_cast<std::uint8_t>(address >> (8 * (width - 1 - i)));
    const std::size_t rest = after.size() - width;
    const std::size_t dropped = std::min<std::size_t>(rest, dummy);
    std::size_t count = width;
    for (std::size_t i = width + dropped; i < after.size(); ++i) layout.fields[count++] = after[i];
    layout.fieldCount = static_cast<std::uint8_t>(count);
    layout.dummyAfter = dummy - static_cast<std::uint32_t>(dropped);
    layout.shape = addressShape(width, rest, dropped);
    return layout;
}

}  // namespace zel::trace
