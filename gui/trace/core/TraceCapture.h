// The desktop program's trace capture over the capture controller: Start and Stop Trace with the
// stop handshake (the capture thread is told, finishes its fetch, the continuous writer drains,
// then the emulator is switched back), linear or ring mode, the continuous text file in ring
// mode, and the captured buffer kept for the viewer and the saves until Clear Buffer or the next
// start. A ring's records are put oldest first after the stop on a thread of their own (up to
// 128 MiB move); until then the buffer is busy and nothing reads it.
//
// Threads: the user-interface thread owns it. The controller's threads only log (the LogSink is
// thread-safe) and advance its counters; the ordering thread only moves the stopped buffer.
#pragma once

#include "CaptureController.h"
#include "ContinuousTextSink.h"
#include "ApiTraceSource.h"
#include "LogQueue.h"
#include "trace/TraceDecoding.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <thread>

namespace zel::gui::trace {

// The values of the capture's state handshake.
enum class TraceState { Running = 1, StopRequested = 2, Stopped = 3 };

struct TraceStart {
    int device = 0;
    bool continuous = false;              // ring mode with the continuous writer
    std::filesystem::path file;           // the continuous writer's first file
    const zel::trace::DecodeContext* context = nullptr;  // for the continuous text; outlives the capture
};

// A captured buffer as the viewer and the saves read it; the storage lives while one holds it.
struct CapturedTrace {
    std::shared_ptr<const capture::CaptureBuffer> buffer;
    std::uint32_t length = 0;
    std::span<const std::uint8_t> bytes() const {
        return buffer ? buffer->bytes().first(length) : std::span<const std::uint8_t>{};
    }
};

class TraceCapture {
public:
    explicit TraceCapture(LogSink& log) : log_(log) {}
    ~TraceCapture();

    // Tests capture into a smaller buffer (at least two fetches).
    void setBufferBytes(std::uint32_t bytes) { bufferBytes_ = bytes; }

    // Starts a capture; false (with the reason logged) when the continuous file cannot be opened.
    bool start(const TraceStart& request);
    // Ends a capture that ended by itself (buffer full, a transfer failed, a write failed): joins
    // it and undoes the boot switch. True when it did.
    bool reapIfEnded();
    // Ring mode with records fetched but not yet written: Stop asks before it cuts them off.
    bool unsavedRecords() const;
    // The stop handshake, then the boot switch undone and "Stop SPI Traceing..." logged. With
    // `dropUnsaved` the continuous writer ends at its next chunk instead of saving the rest
    // (the user chose to stop the saving), and a warning says how many records it left out.
    void stop(bool dropUnsaved = false);
    // Forgets the captured buffer (a save that holds it keeps it until it ends).
    void clear();

    // A stopped ring's records are still being put oldest first: the buffer is busy.
    bool ordering() const { return ordering_.joinable(); }
    // Ends the ordering once it is done; true when it did.
    bool reapOrdering();

    bool capturing() const { return state_ == TraceState::Running || state_ == TraceState::StopRequested; }
    TraceState state() const { return state_; }
    bool ringMode() const { return ring_; }
    // The continuous writer has records to save ("Saving..." is shown).
    bool writerBehind() const { return capturing() && ring_ && unsavedRecords(); }
    std::uint64_t records() const { return controller_ ? controller_->records() : 0; }
    CapturedTrace captured() const;
    // The emulator was switched back to stopped by the last end of a capture.
    bool emulatorStopped() const { return undidSwitch_; }
    const std::vector<std::filesystem::path>& continuousFiles() const;

private:
    void finish(bool dropUnsaved = false);
    void joinOrdering();

    LogSink& log_;
    std::uint32_t bufferBytes_ = capture::kCaptureBufferBytes;
    std::unique_ptr<capture::ApiTraceSource> source_;
    std::unique_ptr<capture::ContinuousTextSink> text_;
    std::unique_ptr<capture::CaptureController> controller_;
    CapturedTrace kept_;
    TraceState state_ = TraceState::Stopped;
    bool ring_ = false;
    bool undidSwitch_ = false;
    std::thread ordering_;
    std::atomic<bool> ordered_{false};
    std::uint32_t orderedLength_ = 0;  // written by the ordering thread before ordered_
};

}  // namespace zel::gui::trace
