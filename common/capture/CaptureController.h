// A trace capture: a capture thread fetches the emulator's records into a shared buffer, used
// once (linear: it stops when the buffer is full) or as a ring (it runs until stopped), while a
// writer thread hands every record, in order, to a sink (the raw capture file, the continuous
// text writer).
//
// Threads: start, stop and the destructor belong to one owning thread, which is also the one
// that calls the source's begin and end; the source's fetch runs only on the capture thread and
// the sink only on the writer thread. Counters and the end reason may be read from any thread.
// Messages are delivered on the thread that has something to say.
#pragma once

#include "CaptureBuffer.h"
#include "RecordSink.h"
#include "RingCursor.h"
#include "TraceSource.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace zel::capture {

enum class CaptureMode { Linear, Ring };

// Why a capture ended.
enum class CaptureEnd { Running, Stopped, BufferFull, DeviceError, WriteError, LimitReached };

struct CaptureSettings {
    CaptureMode mode = CaptureMode::Linear;
    uint32_t bufferBytes = kCaptureBufferBytes;
    std::optional<uint64_t> recordLimit;  // the capture ends after exactly this many records
    std::chrono::microseconds poll{1000};  // pause after a fetch that found little
};

class CaptureController {
public:
    using MessageSink = std::function<void(const std::string&)>;

    // Throws std::invalid_argument for a buffer that cannot hold two fetches.
    CaptureController(TraceSource& source, CaptureSettings settings, MessageSink messages);
    ~CaptureController();
    CaptureController(const CaptureController&) = delete;
    CaptureController& operator=(const CaptureController&) = delete;

    // Allocates a fresh buffer (an older one lives on while a save holds it), calls the source's
    // begin and starts the threads; `sink` (may be null) must outlive the capture. Once only.
    void start(RecordSink* sink);
    // What a stop does with records fetched but not yet saved.
    enum class Unsaved { Save, Drop };
    // Stops fetching, lets the writer save everything fetched (or, with Drop, stop at its next
    // chunk) and close its files, then calls the source's end. Returns why the capture ended
    // (Stopped when this stopped it).
    CaptureEnd stop(Unsaved unsaved = Unsaved::Save);
    // The capture ended by itself (buffer full, a failure, the record limit) and the writer has
    // saved everything; stop() is still needed to join and end.
    bool settled() const;

    CaptureEnd end() const { return end_.load(std::memory_order_acquire); }
    uint64_t records() const { return fetchedBytes_.load(std::memory_order_relaxed) / kRecordBytes; }
    uint64_t savedRecords() const { return savedBytes_.load(std::memory_order_relaxed) / kRecordBytes; }
    // The buffer and how far it is filled (linear mode: the whole capture).
    std::shared_ptr<const CaptureBuffer> buffer() const { return buffer_; }
    uint32_t fillLength() const { return cursor_.fillLength(); }
    // After stop(): moves the records the buffer still holds so they run oldest first from
    // offset 0 (a ring: the rest of the lap before, then the last lap) and returns their length;
    // a linear capture moves nothing. A ring moves up to the whole buffer, so the owner may call
    // it on a thread of its own; nothing may read the buffer meanwhile.
    uint32_t orderOldestFirst();

private:
    enum class Step { Again, Wait, Done };

    void captureLoop();
    Step fetchOnce();
    uint32_t trimToLimit(uint32_t from, uint32_t length);
    void writeLoop(RecordSink& sink);
    bool saveRange(RecordSink& sink, uint32_t begin, uint32_t end);
    void finish(CaptureEnd reason);
    void say(const std::string& text) const;

    TraceSource& source_;
    const CaptureSettings settings_;
    MessageSink messages_;
    std::shared_ptr<CaptureBuffer> buffer_;
    RingCursor cursor_;
    std::atomic<CaptureEnd> end_{CaptureEnd::Running};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> dropUnsaved_{false};
    std::atomic<bool> captureDone_{false};
    std::atomic<bool> writerDone_{true};
    std::atomic<uint64_t> fetchedBytes_{0};
    std::atomic<uint64_t> savedBytes_{0};
    std::thread capture_, writer_;
    bool started_ = false, stopped_ = false;
};

}  // namespace zel::capture
