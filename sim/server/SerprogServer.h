// A device's target bus served as a serprog endpoint on loopback TCP, so that an independent
// SPI master (flashrom -p serprog:ip=127.0.0.1:PORT) can act as the target board. One thread
// accepts connections and serves them one after the other.
#pragma once

#include "server/DeviceSlot.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <thread>
#include <vector>

namespace zel::sim {

class SerprogServer {
public:
    // Listens on 127.0.0.1:port (0: a free port the system picks). Throws std::runtime_error.
    SerprogServer(DeviceSlot& slot, uint16_t port, unsigned chipSlot);
    ~SerprogServer();
    SerprogServer(const SerprogServer&) = delete;
    SerprogServer& operator=(const SerprogServer&) = delete;

    uint16_t port() const { return port_; }
    unsigned chipSlot() const { return chipSlot_; }
    void setChipSlot(unsigned slot) { chipSlot_ = slot; }
    // Ends the connection in progress and the thread; returns once it has ended.
    void stop();

private:
    void serve();
    void serveConnection(int fd);
    std::optional<std::vector<uint8_t>> spiOperation(std::span<const uint8_t> mosi, size_t readLength);

    DeviceSlot& slot_;
    int listenFd_ = -1;
    int stopFd_ = -1;
    uint16_t port_ = 0;
    std::atomic<unsigned> chipSlot_;
    std::thread thread_;
};

}  // namespace zel::sim
