// Small helpers shared by the simulator's tests.
#pragma once

#include "RawSimClient.h"
#include "SimProcess.h"
#include "simwire/SocketIo.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zel::test {

inline std::filesystem::path endpoint(const SimProcess& sim, int device) {
    char name[16];
    std::snprintf(name, sizeof name, "dev%02d.usb", device);
    return sim.dir() / name;
}

// SETUP packet in wire order.
inline std::array<uint8_t, 8> setupPacket(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index,
                                          uint16_t length) {
    return {requestType, request, static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(index), static_cast<uint8_t>(index >> 8), static_cast<uint8_t>(length),
            static_cast<uint8_t>(length >> 8)};
}

// An opened raw client of device `device`.
inline std::unique_ptr<RawSimClient> openDevice(const SimProcess& sim, int device = 0) {
    auto client = std::make_unique<RawSimClient>(endpoint(sim, device));
    if (client->open().status != simwire::Status::Ok) throw std::runtime_error("device not opened");
    return client;
}

inline std::vector<SimLogEntry> entriesOf(const std::vector<SimLogEntry>& log, SimLogEntry::Kind kind) {
    std::vector<SimLogEntry> out;
    for (const auto& e : log)
        if (e.kind == kind) out.push_back(e);
    return out;
}

inline std::string toHexForTest(const std::vector<uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t b : bytes) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 15]);
    }
    return text;
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

}  // namespace zel::test
