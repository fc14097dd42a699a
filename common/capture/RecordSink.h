// What the continuous writer thread hands captured records to, in capture order: the raw capture
// file, the continuous text writer. Called only from that thread.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zel::capture {

class RecordSink {
public:
    virtual ~RecordSink() = default;

    // Whole 8-byte records following the ones written before. False when they could not be
    // saved; problem() then says why.
    virtual bool write(std::span<const uint8_t> records) = 0;
    // The capture buffer wrapped: the next records continue the same stream from its start.
    virtual void wrapped() {}
    // Everything captured has been written: flush and close. False when that failed.
    virtual bool finish() = 0;
    // One line for the user, "Error: ..."; empty while nothing failed.
    virtual std::string problem() const = 0;
};

}  // namespace zel::capture
