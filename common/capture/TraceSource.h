// Where a capture's trace records come from: the emulator's read-out through the API in the tool,
// a scripted source in tests. The controller calls begin and end on the thread that starts and
// stops the capture and fetch only on its capture thread, never two at once, so an API-backed
// source needs no lock of its own.
#pragma once

#include <cstdint>
#include <span>

namespace zel::capture {

// Bytes one fetch may append at most: eight 8 KiB read-out blocks.
inline constexpr uint32_t kFetchBytes = 0x10000;
inline constexpr uint32_t kRecordBytes = 8;

class TraceSource {
public:
    virtual ~TraceSource() = default;

    // Before the first fetch: empty the device's trace store, choose what the emulator listens to.
    virtual void begin() = 0;
    // Appends up to kFetchBytes of whole records at buffer[length] and advances length; the
    // caller leaves room for a whole fetch. False when a transfer failed (what was appended
    // before the failure stays counted).
    virtual bool fetch(std::span<uint8_t> buffer, uint32_t& length) = 0;
    // After the last fetch: undo what begin changed on the emulator.
    virtual void end() = 0;
};

}  // namespace zel::capture
