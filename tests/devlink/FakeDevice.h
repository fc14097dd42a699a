// An in-memory device for the device-link core: records what is sent and answers IN
// transfers and control requests from a script.
#pragma once

#include "transport/Transport.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace zel::devlink::test {

struct ScriptedIn {
    bool ok = true;
    std::vector<uint8_t> bytes;  // delivered (possibly fewer than asked for)
};

class FakeDevice final : public transport::DeviceHandle {
public:
    struct Sent {
        uint8_t endpoint;
        std::vector<uint8_t> data;
    };

    std::vector<Sent> sent;
    std::deque<ScriptedIn> inReplies;  // an IN with no scripted reply fails
    int inRequests = 0;
    bool outOk = true;
    std::deque<bool> outOutcomes;  // per OUT transfer, oldest first; outOk once used up
    std::function<transport::TransferResult(const transport::SetupPacket&, std::span<uint8_t>)> onControl;
    int controlRequests = 0;
    bool* destroyed = nullptr;

    ~FakeDevice() override {
        if (destroyed) *destroyed = true;
    }

    transport::TransferResult bulkOut(uint8_t endpoint, std::span<const uint8_t> data) override {
        sent.push_back({endpoint, {data.begin(), data.end()}});
        bool ok = outOk;
        if (!outOutcomes.empty()) {
            ok = outOutcomes.front();
            outOutcomes.pop_front();
        }
        return {ok, ok ? data.size() : 0};
    }
    transport::TransferResult bulkIn(uint8_t, std::span<uint8_t> data) override {
        ++inRequests;
        if (inReplies.empty()) return {false, 0};
        auto reply = std::move(inReplies.front());
        inReplies.pop_front();
        size_t n = std::min(reply.bytes.size(), data.size());
        std::copy_n(reply.bytes.begin(), n, data.begin());
        return {reply.ok, n};
    }
    transport::TransferResult control(const transport::SetupPacket& setup, std::span<uint8_t> data) override {
        ++controlRequests;
        return onControl ? onControl(setup, data) : transport::TransferResult{};
    }
    std::vector<transport::EndpointInfo> interfaceEndpoints() const override { return {}; }

    void reply(std::vector<uint8_t> bytes, bool ok = true) { inReplies.push_back({ok, std::move(bytes)}); }
};

// Hands out a prepared list of devices (null = present but not openable) at each enumeration.
class FakeTransport final : public transport::Transport {
public:
    std::function<std::vector<transport::DeviceEntry>()> next;
    int enumerations = 0;

    std::vector<transport::DeviceEntry> enumerate(uint16_t vendorId, uint16_t productId) override {
        ++enumerations;
        lastVendorId = vendorId;
        lastProductId = productId;
        return next ? next() : std::vector<transport::DeviceEntry>{};
    }
    uint16_t lastVendorId = 0;
    uint16_t lastProductId = 0;
};

}  // namespace zel::devlink::test
