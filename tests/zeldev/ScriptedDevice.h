// A device handle whose answers the test scripts, recording every transfer; for faults that
// the simulator cannot be made to show on one exact transfer (short reads, endless busy).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "transport/Transport.h"

namespace zel::zeldev::test {

struct RecordedTransfer {
    enum class Kind { Control, BulkOut, BulkIn } kind;
    transport::SetupPacket setup;  // Control only
    uint8_t endpoint = 0;
    std::vector<uint8_t> data;     // OUT data as sent
};

class ScriptedDevice : public transport::DeviceHandle {
public:
    // Control IN answers: by default every byte asked for, zero-filled.
    std::function<transport::TransferResult(const transport::SetupPacket&, std::span<uint8_t>)>
        onControlIn = [](const transport::SetupPacket&, std::span<uint8_t> data) {
            return transport::TransferResult{true, data.size()};
        };
    std::function<transport::TransferResult(std::span<uint8_t>)> onBulkIn =
        [](std::span<uint8_t> data) { return transport::TransferResult{true, data.size()}; };
    // Which control OUT requests fail.
    std::function<bool(const transport::SetupPacket&)> controlOutFails = [](const auto&) {
        return false;
    };

    std::vector<RecordedTransfer> transfers;

    transport::TransferResult bulkOut(uint8_t endpoint, std::span<const uint8_t> data) override
    {
        transfers.push_back({RecordedTransfer::Kind::BulkOut, {}, endpoint, {data.begin(), data.end()}});
        return {true, data.size()};
    }
    transport::TransferResult bulkIn(uint8_t endpoint, std::span<uint8_t> data) override
    {
        transfers.push_back({RecordedTransfer::Kind::BulkIn, {}, endpoint, {}});
        return onBulkIn(data);
    }
    transport::TransferResult control(const transport::SetupPacket& setup,
                                      std::span<uint8_t> data) override
    {
        const auto payload = data.first(setup.length);
        if (setup.isDeviceToHost()) {
            transfers.push_back({RecordedTransfer::Kind::Control, setup, 0, {}});
            return onControlIn(setup, payload);
        }
        transfers.push_back(
            {RecordedTransfer::Kind::Control, setup, 0, {payload.begin(), payload.end()}});
        if (controlOutFails(setup))
            return {false, 0};
        return {true, payload.size()};
    }
    std::vector<transport::EndpointInfo> interfaceEndpoints() const override
    {
        return {{0x81, transport::EndpointType::Interrupt, 64},
                {0x02, transport::EndpointType::Bulk, 512},
                {0x86, transport::EndpointType::Bulk, 512},
                {0x88, transport::EndpointType::Bulk, 512}};
    }
    double timeScale() const override { return 0.0; }

    size_t countRequests(uint8_t request) const
    {
        size_t count = 0;
        for (const auto& t : transfers)
            count += t.kind == RecordedTransfer::Kind::Control && t.setup.request == request;
        return count;
    }
    std::vector<RecordedTransfer> bulkOuts() const
    {
        std::vector<RecordedTransfer> out;
        for (const auto& t : transfers)
            if (t.kind == RecordedTransfer::Kind::BulkOut)
                out.push_back(t);
        return out;
    }
};

}  // namespace zel::zeldev::test
