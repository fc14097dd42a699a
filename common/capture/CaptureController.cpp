#include "CaptureController.h"

#include "ThreadPriority.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace zel::capture {
namespace {

using Clock = std::chrono::steady_clock;

// The writer hands the sink at most this much at once, so room frees up while it writes.
constexpr uint32_t kSaveChunk = 0x100000;

}  // namespace

CaptureController::CaptureController(TraceSource& source, CaptureSettings settings, MessageSink messages)
    : source_(source),
      settings_(settings),
      messages_(std::move(messages)),
      cursor_(settings.bufferBytes, kFetchBytes) {
    if (settings.bufferBytes < 2 * kFetchBytes || settings.bufferBytes % kRecordBytes != 0)
        throw std::invalid_argument("a capture buffer holds at least two fetches of whole records");
}

CaptureController::~CaptureController() { stop(); }

void CaptureController::start(RecordSink* sink) {
    if (started_) throw std::logic_error("a capture controller starts once");
    started_ = true;
    buffer_ = std::make_shared<CaptureBuffer>(settings_.bufferBytes);
    source_.begin();
    if (sink) {
        writerDone_.store(false, std::memory_order_relaxed);
        writer_ = std::thread([this, sink] { writeLoop(*sink); });
    }
    capture_ = std::thread([this] { captureLoop(); });
}

CaptureEnd CaptureController::stop(Unsaved unsaved) {
    if (!started_ || stopped_) return end();
    stopped_ = true;
    dropUnsaved_.store(unsaved == Unsaved::Drop, std::memory_order_relaxed);
    stopRequested_.store(true, std::memory_order_release);
    capture_.join();
    if (writer_.joinable()) writer_.join();  // the capture is over: it saves what is left, or drops it
    finish(CaptureEnd::Stopped);
    source_.end();
    return end();
}

uint32_t CaptureController::orderOldestFirst() {
    const RingCursor::Held held = cursor_.held();
    if (!buffer_ || held.olderBegin == held.olderEnd) return held.newerEnd;
    const auto bytes = buffer_->bytes();
    std::rotate(bytes.begin(), bytes.begin() + held.newerEnd, bytes.begin() + held.olderEnd);
    return held.bytes();
}

bool CaptureController::settled() const {
    return captureDone_.load(std::memory_order_acquire) && writerDone_.load(std::memory_order_acquire);
}

void CaptureController::captureLoop() {
    auto next = Clock::now();
    while (!stopRequested_.load(std::memory_order_acquire)) {
        const Step step = fetchOnce();
        if (step == Step::Done) break;
        const auto now = Clock::now();
        if (step == Step::Again) {
            next = now;  // the device had plenty: ask again at once
            continue;
        }
        next = std::max(next + settings_.poll, now);
        std::this_thread::sleep_until(next);
    }
    captureDone_.store(true, std::memory_order_release);
}

CaptureController::Step CaptureController::fetchOnce() {
    const bool ring = settings_.mode == CaptureMode::Ring;
    const auto room = ring ? cursor_.roomInRing() : cursor_.roomInLine();
    if (!room) {
        if (ring) return Step::Wait;  // the writer has not saved room for a whole fetch yet
        finish(CaptureEnd::BufferFull);
        say("Warning: SPI Trace buffer is full.");
        say("SPI Trace STOP.");
        return Step::Done;
    }
    uint32_t length = *room;
    bool ok = source_.fetch(buffer_->bytes(), length);
    if (length < *room || length - *room > kFetchBytes || length % kRecordBytes != 0) {
        length = *room;  // a source breaking its contract has delivered nothing usable
        ok = false;
    }
    length = trimToLimit(*room, length);
    const uint32_t added = length - *room;
    cursor_.filled(length);
    const uint64_t total = fetchedBytes_.fetch_add(added, std::memory_order_relaxed) + added;
    if (!ok) {
        finish(CaptureEnd::DeviceError);
        say("USB Error: SPI Trace STOP.");
        return Step::Done;
    }
    if (settings_.recordLimit && total >= *settings_.recordLimit * kRecordBytes) {
        finish(CaptureEnd::LimitReached);
        return Step::Done;
    }
    // Anything new: the target is talking, so ask again at once (a pause here would cost a
    // busy target the read-out's pace); nothing: poll at the 1 ms cadence.
    return added > 0 ? Step::Again : Step::Wait;
}

uint32_t CaptureController::trimToLimit(uint32_t from, uint32_t length) {
    if (!settings_.recordLimit) return length;
    const uint64_t wanted = *settings_.recordLimit * kRecordBytes;
    const uint64_t have = fetchedBytes_.load(std::memory_order_relaxed);
    const uint64_t left = wanted > have ? wanted - have : 0;
    return length - from > left ? static_cast<uint32_t>(from + left) : length;
}

void CaptureController::writeLoop(RecordSink& sink) {
    yieldToOtherThreads();
    bool failed = false;
    for (;;) {
        const bool captureOver = captureDone_.load(std::memory_order_acquire);
        if (dropUnsaved_.load(std::memory_order_relaxed)) break;  // stopped: the rest goes unsaved
        const auto pending = cursor_.pending();
        if (pending.begin != pending.end) {
            if (!saveRange(sink, pending.begin, pending.end)) {
                failed = true;
                break;
            }
        } else if (pending.wrapsAfter) {
            cursor_.wrapSaved();
            sink.wrapped();
        } else if (captureOver) {
            break;  // nothing pending after the capture thread ended: everything is saved
        } else {
            std::this_thread::sleep_for(settings_.poll);
        }
    }
    if (!failed && !sink.finish()) failed = true;
    if (failed) {
        finish(CaptureEnd::WriteError);
        say(sink.problem());
        stopRequested_.store(true, std::memory_order_release);
    }
    writerDone_.store(true, std::memory_order_release);
}

bool CaptureController::saveRange(RecordSink& sink, uint32_t begin, uint32_t end) {
    const auto bytes = std::as_const(*buffer_).bytes();
    while (begin < end) {
        if (dropUnsaved_.load(std::memory_order_relaxed)) return true;  // the stop cuts the rest
        const uint32_t n = std::min(end - begin, kSaveChunk);
        if (!sink.write(bytes.subspan(begin, n))) return false;
        begin += n;
        cursor_.saved(begin);
        savedBytes_.fetch_add(n, std::memory_order_relaxed);
    }
    return true;
}

void CaptureController::finish(CaptureEnd reason) {
    auto running = CaptureEnd::Running;
    end_.compare_exchange_strong(running, reason, std::memory_order_acq_rel);
}

void CaptureController::say(const std::string& text) const {
    if (messages_ && !text.empty()) messages_(text);
}

}  // namespace zel::capture
