#include "target/SerprogSession.h"

#include <array>
#include <algorithm>
#include <cstring>

namespace zel::sim::target {
namespace {

namespace cmd {
constexpr uint8_t Nop = 0x00, QueryInterface = 0x01, QueryCommandMap = 0x02, QueryName = 0x03,
                  QuerySerialBuffer = 0x04, QueryBusTypes = 0x05, QueryWriteMax = 0x08, SyncNop = 0x10,
                  QueryReadMax = 0x11, SetBusType = 0x12, SpiOperation = 0x13, SetSpiFrequency = 0x14,
                  SetPinState = 0x15, SetChipSelect = 0x16;
}

constexpr uint8_t kBusSpi = 0x08;
constexpr uint16_t kInterfaceVersion = 1;
constexpr uint16_t kSerialBuffer = 0xFFFF;  // no serial buffer to overrun
constexpr char kName[] = "zelsim target";

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void put24(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v);
    out.push_back(static_cast<uint8_t>(v >> 16));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put24(out, v);
    out.push_back(static_cast<uint8_t>(v >> 24));
}
uint32_t le(std::span<const uint8_t> bytes) {
    uint32_t v = 0;
    for (size_t i = bytes.size(); i-- > 0;) v = v << 8 | bytes[i];
    return v;
}

}  // namespace

std::vector<uint8_t> SerprogSession::commandMap() {
    std::vector<uint8_t> map(32, 0);
    for (uint8_t c : {cmd::Nop, cmd::QueryInterface, cmd::QueryCommandMap, cmd::QueryName, cmd::QuerySerialBuffer,
                      cmd::QueryBusTypes, cmd::QueryWriteMax, cmd::SyncNop, cmd::QueryReadMax, cmd::SetBusType,
                      cmd::SpiOperation, cmd::SetSpiFrequency, cmd::SetPinState, cmd::SetChipSelect})
        map[c / 8] |= static_cast<uint8_t>(1u << (c % 8));
    return map;
}

void SerprogSession::run() {
    while (serveOne()) {
    }
}

bool SerprogSession::reply(std::vector<uint8_t> bytes) {
    bytes.insert(bytes.begin(), kAck);
    return stream_.write(bytes);
}

bool SerprogSession::nak() {
    const uint8_t byte = kNak;
    return stream_.write(std::span(&byte, 1));
}

bool SerprogSession::serveOne() {
    uint8_t command = 0;
    if (!stream_.read(std::span(&command, 1))) return false;
    std::vector<uint8_t> out;
    switch (command) {
    case cmd::Nop: return reply({});
    case cmd::QueryInterface: put16(out, kInterfaceVersion); return reply(out);
    case cmd::QueryCommandMap: return reply(commandMap());
    case cmd::QueryName: {
        out.assign(16, 0);
        std::memcpy(out.data(), kName, sizeof kName - 1);
        return reply(out);
    }
    case cmd::QuerySerialBuffer: put16(out, kSerialBuffer); return reply(out);
    case cmd::QueryBusTypes: return reply({kBusSpi});
    case cmd::QueryWriteMax: put24(out, kMaxWrite); return reply(out);
    case cmd::QueryReadMax: put24(out, kMaxRead); return reply(out);
    case cmd::SyncNop: {
        const uint8_t answer[2] = {kNak, kAck};
        return stream_.write(answer);
    }
    case cmd::SetBusType: {
        std::array<uint8_t, 1> type{};
        if (!parameters(type)) return false;
        return (type[0] & kBusSpi) != 0 ? reply({}) : nak();
    }
    case cmd::SpiOperation: return spiOperation();
    case cmd::SetSpiFrequency: {
        std::array<uint8_t, 4> hz{};
        if (!parameters(hz)) return false;
        const uint32_t wanted = le(hz);
        if (wanted == 0) return nak();
        put32(out, std::min(wanted, kSpiFrequency));
        return reply(out);
    }
    case cmd::SetPinState: {
        std::array<uint8_t, 1> state{};
        return parameters(state) && reply({});
    }
    case cmd::SetChipSelect: {
        std::array<uint8_t, 1> select{};
        if (!parameters(select)) return false;
        return select[0] == 0 ? reply({}) : nak();
    }
    default:
        // Unknown commands carry parameters of unknown length: answer, and the stream may be
        // out of step from here on, as with any serprog programmer.
        return nak();
    }
}

bool SerprogSession::spiOperation() {
    std::array<uint8_t, 6> lengths{};
    if (!parameters(lengths)) return false;
    const uint32_t writeLength = le(std::span(lengths).first(3));
    const uint32_t readLength = le(std::span(lengths).last(3));
    if (writeLength > kMaxWrite || readLength > kMaxRead) {
        // The data that follows is consumed so the stream stays in step.
        std::vector<uint8_t> discard(writeLength);
        return stream_.read(discard) && nak();
    }
    std::vector<uint8_t> mosi(writeLength);
    if (!stream_.read(mosi)) return false;
    auto miso = spi_(mosi, readLength);
    if (!miso) return nak();
    return reply(std::move(*miso));
}

}  // namespace zel::sim::target
