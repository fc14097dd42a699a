#include "UsbSession.h"

#include <linux/usbdevice_fs.h>

#include <algorithm>
#include <cerrno>

namespace zel::test::usbbridge {
namespace {

using namespace std::chrono_literals;

// How often a NAKed transfer is tried again: the host controller's polling, coarsened.
constexpr auto kNakRetry = 5ms;
constexpr size_t kSetupBytes = 8;

usbdevfs_urb& fieldsOf(Urb& urb) { return *reinterpret_cast<usbdevfs_urb*>(urb.record->data); }

std::span<uint8_t> bufferOf(Urb& urb) {
    if (!urb.buffer) return {};
    return {urb.buffer->data, static_cast<size_t>(urb.buffer->data_len)};
}

// The URB status a completed transfer reports, as the kernel sets it.
int urbStatus(const Urb& urb, Outcome outcome) {
    if (urb.discarded) return -ENOENT;
    switch (outcome) {
    case Outcome::Ok: return 0;
    case Outcome::Stall: return -EPIPE;
    case Outcome::Gone: return -ESHUTDOWN;
    default: return -EPROTO;
    }
}

}  // namespace

UsbSession::UsbSession(std::filesystem::path endpoint, std::unique_ptr<SimUpstream> link)
    : endpoint_(std::move(endpoint)), link_(std::move(link)), thread_([this] { run(); }) {}

UsbSession::~UsbSession() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        if (link_) link_->abort();
    }
    changed_.notify_all();
    thread_.join();
}

bool UsbSession::submit(std::unique_ptr<Urb> urb) {
    {
        std::lock_guard lock(mutex_);
        if (disconnected_) return false;
        queued_.push_back(std::move(urb));
    }
    changed_.notify_all();
    return true;
}

bool UsbSession::discard(unsigned long clientAddress) {
    {
        std::lock_guard lock(mutex_);
        auto isThat = [clientAddress](const std::unique_ptr<Urb>& urb) { return urb->record->client_addr == clientAddress; };
        if (inFlight_ != nullptr && inFlight_->record->client_addr == clientAddress && !inFlight_->discarded) {
            inFlight_->discarded = true;
            // A request zelsim has not answered is abandoned with its link (zelsim then drops
            // the session's state); the next URB opens the link again. Between NAKs nothing is
            // outstanding and the link stays.
            if (awaitingDevice_ && link_) link_->abort();
        } else if (auto it = std::find_if(queued_.begin(), queued_.end(), isThat); it != queued_.end()) {
            (*it)->discarded = true;
            fieldsOf(**it).status = -ENOENT;
            fieldsOf(**it).actual_length = 0;
            done_.push_back(std::move(*it));
            queued_.erase(it);
        } else {
            return false;
        }
    }
    changed_.notify_all();
    return true;
}

std::unique_ptr<Urb> UsbSession::reap(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, wait, [this] { return !done_.empty() || stopping_; });
    if (done_.empty()) return nullptr;
    auto urb = std::move(done_.front());
    done_.pop_front();
    return urb;
}

bool UsbSession::finished() const {
    std::lock_guard lock(mutex_);
    return disconnected_ && queued_.empty() && inFlight_ == nullptr && done_.empty();
}

void UsbSession::disconnect() {
    {
        std::lock_guard lock(mutex_);
        disconnected_ = true;
        if (link_) link_->abort();
    }
    changed_.notify_all();
}

void UsbSession::reset() {
    std::lock_guard lock(mutex_);
    if (link_) link_->abort();
}

void UsbSession::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queued_.empty(); });
        if (stopping_) return;
        auto urb = std::move(queued_.front());
        queued_.pop_front();
        inFlight_ = urb.get();
        lock.unlock();
        perform(*urb);
        lock.lock();
        inFlight_ = nullptr;
        done_.push_back(std::move(urb));
        changed_.notify_all();
    }
}

void UsbSession::perform(Urb& urb) {
    const auto linked = ensureLink();
    auto result = linked == Outcome::Ok ? untilNotNaking(urb) : UpstreamResult{linked, 0};
    auto& fields = fieldsOf(urb);
    fields.actual_length = static_cast<int>(result.moved);
    std::lock_guard lock(mutex_);
    // A link zelsim closed (not one this side abandoned) means the device was unplugged.
    if (result.outcome == Outcome::Gone && !urb.discarded && link_ && !link_->aborted()) disconnected_ = true;
    fields.status = disconnected_ && !urb.discarded ? -ESHUTDOWN : urbStatus(urb, result.outcome);
}

// A link aborted for a discarded URB (or by a reset) is replaced.
Outcome UsbSession::ensureLink() {
    {
        std::lock_guard lock(mutex_);
        if (disconnected_ || stopping_) return Outcome::Gone;
        if (link_ && !link_->aborted()) return Outcome::Ok;
    }
    auto [outcome, link] = SimUpstream::open(endpoint_);
    std::lock_guard lock(mutex_);
    link_ = std::move(link);
    if (outcome == Outcome::Gone) disconnected_ = true;  // nobody serves the device any more
    return outcome;
}

UpstreamResult UsbSession::untilNotNaking(Urb& urb) {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (urb.discarded) return {Outcome::Nak, 0};
            awaitingDevice_ = true;
        }
        auto result = transfer(urb);
        std::unique_lock lock(mutex_);
        awaitingDevice_ = false;
        if (result.outcome != Outcome::Nak || urb.discarded) return result;
        if (changed_.wait_for(lock, kNakRetry, [&] { return urb.discarded || stopping_ || disconnected_; }))
            return result;
    }
}

UpstreamResult UsbSession::transfer(Urb& urb) {
    const auto& fields = fieldsOf(urb);
    auto buffer = bufferOf(urb);
    if (fields.type == USBDEVFS_URB_TYPE_CONTROL) {
        if (buffer.size() < kSetupBytes) return {Outcome::Stall, 0};
        auto setup = buffer.first<kSetupBytes>();
        const size_t length = std::min<size_t>(setup[6] | setup[7] << 8, buffer.size() - kSetupBytes);
        return link_->control(setup, buffer.subspan(kSetupBytes, length));
    }
    if (fields.type != USBDEVFS_URB_TYPE_BULK) return {Outcome::Stall, 0};
    if (fields.endpoint & 0x80) return link_->bulkIn(fields.endpoint, buffer);
    return link_->bulkOut(fields.endpoint, buffer);
}

}  // namespace zel::test::usbbridge
