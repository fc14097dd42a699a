// One claim of an emulated device: its link to zelsim and the URBs it has submitted. A thread
// performs them in order; a device with nothing to send or no room NAKs, so the URB is tried
// again until it completes or libusb discards it at its time-out.
#pragma once

#include "GObjectRef.h"
#include "SimUpstream.h"

#include <umockdev.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

namespace zel::test::usbbridge {

// A submitted URB: local copies of the client's struct usbdevfs_urb and of its buffer, written
// back to the client when it is reaped.
struct Urb {
    GObjectRef<UMockdevIoctlData> record;
    GObjectRef<UMockdevIoctlData> buffer;  // null for a zero-length transfer
    bool discarded = false;
};

class UsbSession {
public:
    UsbSession(std::filesystem::path endpoint, std::unique_ptr<SimUpstream> link);
    ~UsbSession();  // aborts a transfer in progress and joins the thread
    UsbSession(const UsbSession&) = delete;
    UsbSession& operator=(const UsbSession&) = delete;

    // false: the device is gone (ENODEV).
    bool submit(std::unique_ptr<Urb> urb);
    // true when the URB at that client address was pending; it then completes with -ENOENT.
    bool discard(unsigned long clientAddress);
    // A completed URB, waiting up to `wait` for one.
    std::unique_ptr<Urb> reap(std::chrono::milliseconds wait);
    // Gone and nothing left to reap: ENODEV.
    bool finished() const;
    void disconnect();
    // The device is reset: the link is dropped (zelsim forgets the session's state) and opened
    // again for the next URB.
    void reset();

private:
    void run();
    void perform(Urb& urb);
    UpstreamResult transfer(Urb& urb);
    UpstreamResult untilNotNaking(Urb& urb);
    Outcome ensureLink();

    std::filesystem::path endpoint_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::unique_ptr<SimUpstream> link_;  // replaced only by the session thread
    std::deque<std::unique_ptr<Urb>> queued_;
    std::deque<std::unique_ptr<Urb>> done_;
    Urb* inFlight_ = nullptr;
    bool awaitingDevice_ = false;  // a request of inFlight_ is with zelsim
    bool disconnected_ = false;
    bool stopping_ = false;
    std::thread thread_;  // last: starts once the rest is set
};

}  // namespace zel::test::usbbridge
