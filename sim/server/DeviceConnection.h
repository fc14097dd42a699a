// One client connection to a device endpoint: reads requests and answers each in turn, as the
// wire protocol says, applying the device's holder, injected faults and transfer log.
#pragma once

#include "server/DeviceSlot.h"
#include "server/SocketOutData.h"
#include "simwire/SimProtocol.h"
#include "simwire/SocketIo.h"

#include <cstdint>
#include <functional>
#include <span>
#include <sys/uio.h>
#include <vector>

namespace zel::sim {

class DeviceConnection {
public:
    // unplug: unplugs this connection's device (a cut that ends in a disconnect).
    DeviceConnection(int fd, DeviceSlot& slot, ConnectionId id, uint64_t generation, double timeScale,
                     std::function<void()> unplug)
        : fd_(fd), slot_(slot), id_(id), generation_(generation), timeScale_(timeScale), unplug_(std::move(unplug)) {}

    void run();

private:
    using Header = simwire::RequestHeader;

    bool handle(const Header& request);
    bool hello(bool open);
    bool bulkOut(const Header& request);
    bool bulkIn(const Header& request);
    bool control(const Header& request);
    bool cutOut(const Header& request, SocketOutData& data, DeviceSlot::Cut cut);
    // Decides how the request goes. While the device is stalled the request waits, like a
    // transfer the device NAKs: when the stall ends within the client's time-out it goes on;
    // once the client has given up it comes back as Stalled (cancelled: dropped unanswered).
    DeviceSlot::Gate admit(const Header& request);
    bool peerGone() const;

    bool reply(simwire::Status status, uint64_t length = 0, std::span<const std::span<const uint8_t>> payload = {});

    int fd_;
    DeviceSlot& slot_;
    ConnectionId id_;
    uint64_t generation_;
    double timeScale_;
    std::function<void()> unplug_;
    simwire::Clock::time_point received_{};  // when the current request's header arrived
};

simwire::Status wireStatus(TransferStatus status);

}  // namespace zel::sim
