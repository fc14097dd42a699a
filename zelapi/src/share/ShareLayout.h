// The per-user shared segment through which a process asks the holder of the emulators to let
// them go (pause) and to take them back (regain). Only this library maps it, always at the layout
// version below, so the fields keep the host's byte order; the header lets a joiner refuse a
// segment of any other layout.
#pragma once

#include <pthread.h>
#include <semaphore.h>

#include <cstdint>

namespace zel::api::share {

inline constexpr uint32_t kSegmentMagic = 0x4D53505A;  // "ZPSM"
inline constexpr uint32_t kSegmentVersion = 1;

enum RequestCode : uint32_t {
    kNoRequest = 0,
    kPause = 1,   // release the emulators
    kRegain = 2,  // take them back
};

// The request as the requester writes it.
struct ShareBlock {
    uint32_t requestCode;
    uint32_t parameterLength;   // always 4
    uint32_t parameterAddress;  // always 0, see ShareChannel::publish
};
static_assert(sizeof(ShareBlock) == 12);

// Fields that one process writes while another reads are only touched through std::atomic_ref.
struct ShareSegmentLayout {
    uint32_t magic;    // stored last when the segment is set up
    uint32_t version;
    uint32_t size;     // sizeof(ShareSegmentLayout)
    ShareBlock block;
    uint32_t issuedId;   // the last request id a requester issued
    uint32_t requestId;  // the request the block holds; it lags issuedId while a requester writes
    uint32_t takenId;    // the last request a holder took
    uint32_t replyId;    // the request the last answer was for
    pthread_mutex_t requestLock;  // robust; held by a requester for its whole request
    sem_t requestPosted;          // a request waits for a holder
    sem_t replyPosted;            // a holder answered
};

}  // namespace zel::api::share
