#include "server/DeviceSlot.h"

#include "device/FrameDevice.h"
#include "legacy/LegacyDevice.h"

#include <algorithm>
#include <cstdio>
#include <poll.h>
#include <utility>

namespace zel::sim {
namespace {

std::unique_ptr<SimDevice> makeModel(const DeviceProfile& profile, const DeviceEnvironment& environment) {
    if (profile.legacy()) return std::make_unique<LegacyDevice>(profile, environment);
    return std::make_unique<FrameDevice>(profile, environment);
}

std::string endpointName(int index) {
    char name[16];
    std::snprintf(name, sizeof name, "dev%02d", index);
    return name;
}

}  // namespace

DeviceSlot::DeviceSlot(int index, const DeviceProfile& profile, const SimOptions& options)
    : index_(index),
      name_(endpointName(index)),
      socketPath_(options.dir / (name_ + ".usb")),
      profile_(profile),
      log_(options.logLimit),
      findings_(options.strict, log_, options.logLimit),
      pacer_(profile.linkSpeed.value_or(options.linkSpeed)) {
    char flashName[32];
    std::snprintf(flashName, sizeof flashName, "%s-%04x.flash", name_.c_str(), profile.productId);
    DeviceEnvironment environment{findings_, SimTime(options.timeScale), options.dir / flashName,
                                  options.chipEraseTime};
    model_ = makeModel(profile, environment);
}

uint64_t DeviceSlot::generation() const {
    std::lock_guard lock(sessionMutex_);
    return generation_;
}

bool DeviceSlot::current(uint64_t generation) const {
    std::lock_guard lock(sessionMutex_);
    return generation == generation_ && plugged_ && !stopping_;
}

namespace {

bool peerClosed(int fd) {
    pollfd p{fd, POLLRDHUP, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

}  // namespace

bool DeviceSlot::open(ConnectionId id, int fd) {
    bool holderGone = false;
    {
        std::lock_guard lock(sessionMutex_);
        if (holder_ == id) return true;
        // The holder's socket stays open until its connection has let go (connectionClosed),
        // so holderFd_ is still the holder's here.
        if (holder_ != 0 && holder_ != kSimulatorHolder && peerClosed(holderFd_)) {
            holder_ = 0;
            holderGone = true;
        }
    }
    if (holderGone) {
        // The client that held the device has closed: a process that closes and another that
        // opens right after must find the device free, as with a real device.
        log_.note("close");
        releaseModel();
    }
    {
        std::lock_guard lock(sessionMutex_);
        if (holder_ == id) return true;
        if (holder_ != 0) {
            log_.note(holder_ == kSimulatorHolder ? "open refused: held by the simulator"
                                                  : "open refused: held by another client");
            return false;
        }
        holder_ = id;
        holderFd_ = fd;
    }
    log_.note("open");
    return true;
}

void DeviceSlot::connectionClosed(ConnectionId id) {
    {
        std::lock_guard lock(sessionMutex_);
        if (holder_ != id) return;
        holder_ = 0;
    }
    log_.note("close");
    releaseModel();
}

void DeviceSlot::releaseModel() {
    std::lock_guard model(modelMutex_);
    model_->endSession();
}

DeviceSlot::Gate DeviceSlot::admit(ConnectionId id, uint64_t generation) {
    std::lock_guard lock(sessionMutex_);
    if (generation != generation_ || !plugged_ || stopping_) return Gate::Gone;
    if (holder_ != id) return Gate::NotOpen;
    if (stalled_) return Gate::Stalled;
    if (failPending_ > 0) {
        --failPending_;
        return Gate::Fail;
    }
    return Gate::Proceed;
}

DeviceSlot::StallEnd DeviceSlot::waitWhileStalled(uint64_t generation,
                                                  std::optional<std::chrono::steady_clock::time_point> giveUpAt,
                                                  const std::function<bool()>& peerGone) {
    std::unique_lock lock(sessionMutex_);
    while (stalled_ && generation == generation_ && !stopping_) {
        auto wakeAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
        if (giveUpAt && *giveUpAt <= std::chrono::steady_clock::now()) return StallEnd::Cancelled;
        if (giveUpAt) wakeAt = std::min(wakeAt, *giveUpAt);
        stallChanged_.wait_until(lock, wakeAt);
        if (peerGone()) return StallEnd::Gone;
    }
    return generation == generation_ && !stopping_ ? StallEnd::Resumed : StallEnd::Gone;
}

void DeviceSlot::setStalled(bool stalled) {
    {
        std::lock_guard lock(sessionMutex_);
        stalled_ = stalled;
    }
    stallChanged_.notify_all();
    log_.note(stalled ? "stall on" : "stall off");
}

void DeviceSlot::failNext(unsigned count) {
    {
        std::lock_guard lock(sessionMutex_);
        failPending_ = count;
    }
    log_.note("fail next " + std::to_string(count) + " transfers");
}

void DeviceSlot::failFrames(unsigned count, std::vector<uint8_t> prefix) {
    std::string hex;
    for (auto byte : prefix) {
        static constexpr char kDigits[] = "0123456789abcdef";
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xF];
    }
    {
        std::lock_guard lock(sessionMutex_);
        frameFailPending_ = count;
        frameFailPrefix_ = std::move(prefix);
    }
    log_.note("fail next " + std::to_string(count) + " frames beginning " + hex);
}

bool DeviceSlot::frameFaultPending() const {
    std::lock_guard lock(sessionMutex_);
    return frameFailPending_ > 0;
}

bool DeviceSlot::takeFrameFault(std::span<const uint8_t> frame) {
    std::lock_guard lock(sessionMutex_);
    if (frameFailPending_ == 0 || frame.size() < frameFailPrefix_.size()) return false;
    if (!std::equal(frameFailPrefix_.begin(), frameFailPrefix_.end(), frame.begin())) return false;
    --frameFailPending_;
    return true;
}

void DeviceSlot::cutNext(Cut cut) {
    {
        std::lock_guard lock(sessionMutex_);
        cut_ = cut;
    }
    log_.note("cut the next data transfer after " + std::to_string(cut.bytes) + " bytes" +
              (cut.unplug ? ", then unplug" : ""));
}

std::optional<DeviceSlot::Cut> DeviceSlot::takeCut(uint64_t length) {
    std::lock_guard lock(sessionMutex_);
    if (!cut_ || length <= cut_->bytes) return std::nullopt;
    return std::exchange(cut_, std::nullopt);
}

bool DeviceSlot::hold() {
    {
        std::lock_guard lock(sessionMutex_);
        if (holder_ != 0 && holder_ != kSimulatorHolder) return false;
        holder_ = kSimulatorHolder;
    }
    log_.note("held by the simulator");
    return true;
}

bool DeviceSlot::release() {
    {
        std::lock_guard lock(sessionMutex_);
        if (holder_ != kSimulatorHolder) return false;
        holder_ = 0;
    }
    log_.note("released by the simulator");
    return true;
}

void DeviceSlot::markUnplugged() {
    {
        std::lock_guard lock(sessionMutex_);
        plugged_ = false;
        ++generation_;
        holder_ = 0;
    }
    stallChanged_.notify_all();
    log_.note("unplug");
}

void DeviceSlot::powerCycle() {
    std::lock_guard model(modelMutex_);
    model_->powerCycle();
}

void DeviceSlot::markPlugged() {
    {
        std::lock_guard lock(sessionMutex_);
        plugged_ = true;
        ++generation_;
    }
    log_.note("replug");
}

void DeviceSlot::shutdown() {
    {
        std::lock_guard lock(sessionMutex_);
        stopping_ = true;
    }
    stallChanged_.notify_all();
}

DeviceSlot::State DeviceSlot::state() const {
    std::lock_guard lock(sessionMutex_);
    return {plugged_, holder_ != 0, holder_ == kSimulatorHolder, stalled_, failPending_, frameFailPending_, cut_};
}

}  // namespace zel::sim
