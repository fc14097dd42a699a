// One served device: its model behind the model lock, and what the server keeps about it:
// who holds it, whether it is plugged, injected faults, the transfer log and strict findings.
#pragma once

#include "core/SimDevice.h"
#include "core/TransferLog.h"
#include "server/LinkPacer.h"
#include "server/SimOptions.h"
#include "server/StrictFindings.h"

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zel::sim {

using ConnectionId = uint64_t;

class DeviceSlot {
public:
    // The simulator's own hold (`hold N`): clients see the device busy.
    static constexpr ConnectionId kSimulatorHolder = ~ConnectionId{0};

    DeviceSlot(int index, const DeviceProfile& profile, const SimOptions& options);

    int index() const { return index_; }
    const std::string& name() const { return name_; }  // "dev00"
    const std::filesystem::path& socketPath() const { return socketPath_; }
    const DeviceProfile& profile() const { return profile_; }

    // The model may only be touched with modelMutex() held.
    std::mutex& modelMutex() { return modelMutex_; }
    SimDevice& model() { return *model_; }
    // Immutable after construction: readable without the model lock.
    const UsbDescriptors& descriptors() const { return model_->descriptors(); }
    TransferLog& log() { return log_; }
    StrictFindings& findings() { return findings_; }
    LinkPacer& pacer() { return pacer_; }

    // Sessions. Every connection remembers the plug generation it was accepted in; after an
    // unplug it may do nothing more.
    uint64_t generation() const;
    // The connection accepted in `generation` may still talk to the device.
    bool current(uint64_t generation) const;
    // false: held by someone else. fd: the connection's socket, by which a holder whose client
    // has already closed is recognised (and released) before its thread gets round to it.
    bool open(ConnectionId id, int fd);
    void connectionClosed(ConnectionId id);

    enum class Gate { Proceed, NotOpen, Fail, Stalled, Gone };
    // Decides how the next transfer of this connection goes; Fail uses up one injected failure.
    Gate admit(ConnectionId id, uint64_t generation);
    // Waits while the device is stalled, at most until giveUpAt (the client's time-out).
    enum class StallEnd { Resumed, Cancelled, Gone };
    StallEnd waitWhileStalled(uint64_t generation, std::optional<std::chrono::steady_clock::time_point> giveUpAt,
                              const std::function<bool()>& peerGone);

    // Faults and control.
    void setStalled(bool stalled);
    void failNext(unsigned count);
    // The next `count` command frames (16-byte bulk OUT transfers) that begin with `prefix`
    // answer with a stall; other transfers go through.
    void failFrames(unsigned count, std::vector<uint8_t> prefix);
    bool frameFaultPending() const;
    // Uses up one frame fault when `frame` matches it.
    bool takeFrameFault(std::span<const uint8_t> frame);
    // The next data transfer longer than `bytes` (a bulk IN, or a bulk OUT that is not a
    // command frame) stops after that many bytes: a short transfer, or with `unplug` the
    // device is unplugged there.
    struct Cut {
        uint64_t bytes = 0;
        bool unplug = false;
    };
    void cutNext(Cut cut);
    // Uses up the pending cut when a transfer of `length` bytes is long enough for it.
    std::optional<Cut> takeCut(uint64_t length);
    bool hold();     // false: a client holds it
    bool release();  // false: the simulator does not hold it
    void markUnplugged();
    // The power loss of an unplug; call once the device's connections are shut down.
    void powerCycle();
    void markPlugged();
    void shutdown();  // the simulator stops: waits end

    struct State {
        bool plugged = true;
        bool held = false;
        bool heldBySimulator = false;
        bool stalled = false;
        unsigned failPending = 0;
        unsigned frameFailPending = 0;
        std::optional<Cut> cut;
    };
    State state() const;

private:
    void releaseModel();

    int index_;
    std::string name_;
    std::filesystem::path socketPath_;
    DeviceProfile profile_;
    TransferLog log_;
    StrictFindings findings_;
    LinkPacer pacer_;
    std::mutex modelMutex_;
    std::unique_ptr<SimDevice> model_;

    mutable std::mutex sessionMutex_;
    std::condition_variable stallChanged_;
    ConnectionId holder_ = 0;  // 0: free
    int holderFd_ = -1;
    bool plugged_ = true;
    bool stalled_ = false;
    bool stopping_ = false;
    unsigned failPending_ = 0;
    unsigned frameFailPending_ = 0;
    std::vector<uint8_t> frameFailPrefix_;
    std::optional<Cut> cut_;
    uint64_t generation_ = 1;
};

}  // namespace zel::sim
