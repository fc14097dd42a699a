// The zelsim process: its devices, the listening sockets (one endpoint per plugged device plus
// the control socket), the accept loop and the connection threads.
#pragma once

#include "server/DeviceSlot.h"
#include "server/SerprogServer.h"
#include "server/TargetRunner.h"
#include "server/SimOptions.h"
#include "server/Workers.h"

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zel::sim {

class Simulator {
public:
    explicit Simulator(SimOptions options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Creates the folder, refuses one that a running simulator serves, listens on every device
    // endpoint and then on the control socket. Throws std::runtime_error.
    void bind();
    // One line per device for `zelsim start`.
    std::vector<std::string> startLines() const;
    // Accepts connections until a stop is asked for (control command, or a signal arriving on
    // signalFd), then removes the sockets and ends the connections. False when some connection
    // threads did not end in time.
    bool serve(int signalFd);

    // For control commands.
    const SimOptions& options() const { return options_; }
    size_t deviceCount() const { return slots_.size(); }
    DeviceSlot& device(size_t index) { return *slots_.at(index); }
    // The serprog endpoint of device `index`; null for a device without a target bus.
    SerprogServer* serprog(size_t index) { return serprog_.at(index).get(); }
    // The scripted target firmware of device `index`; null for a device without a target bus.
    TargetRunner* targetRunner(size_t index) { return index < runners_.size() ? runners_[index].get() : nullptr; }
    void unplug(size_t index);
    void replug(size_t index);
    // Returns once the sockets are gone (bounded wait).
    void stop();

private:
    struct Listener {
        int fd;
        int owner;  // device index or Workers::kControl
        std::filesystem::path path;
        bool retired = false;
    };

    void listen(const std::filesystem::path& path, int owner);
    void retire(int owner);
    void wake();
    void acceptFrom(int fd);
    void closeListeners();
    void startSerprog();
    std::filesystem::path controlPath() const;

    SimOptions options_;
    std::vector<std::unique_ptr<DeviceSlot>> slots_;
    std::vector<std::unique_ptr<SerprogServer>> serprog_;  // per device; null for the earlier design
    std::vector<std::unique_ptr<TargetRunner>> runners_;   // likewise
    Workers workers_;
    int wakeFd_ = -1;
    std::atomic<ConnectionId> nextConnection_{1};

    std::mutex mutex_;  // listeners and the stop state
    std::condition_variable socketsGone_;
    std::vector<Listener> listeners_;
    bool stopRequested_ = false;
    bool socketsRemoved_ = false;
};

}  // namespace zel::sim
