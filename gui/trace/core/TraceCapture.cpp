#include "TraceCapture.h"

#include "ThreadPriority.h"

#include <string>

namespace zel::gui::trace {

TraceCapture::~TraceCapture() {
    if (capturing()) finish();
    joinOrdering();
}

bool TraceCapture::start(const TraceStart& request) {
    if (capturing()) return false;
    joinOrdering();
    ring_ = request.continuous;
    undidSwitch_ = false;
    text_.reset();
    if (ring_) {
        text_ = std::make_unique<capture::ContinuousTextSink>(*request.context, request.file,
                                                              [this](const std::string& line) { log_.log(line); });
        if (!text_->open()) {
            log_.log(text_->problem());
            text_.reset();
            return false;
        }
    }
    kept_ = {};  // the buffer is allocated anew; a save still holding the old one keeps it
    controller_.reset();
    source_ = std::make_unique<capture::ApiTraceSource>(request.device);
    capture::CaptureSettings settings;
    settings.mode = ring_ ? capture::CaptureMode::Ring : capture::CaptureMode::Linear;
    settings.bufferBytes = bufferBytes_;
    controller_ = std::make_unique<capture::CaptureController>(*source_, settings,
                                                               [this](const std::string& line) { log_.log(line); });
    log_.log("Starting SPI Trace...");
    controller_->start(text_.get());
    if (source_->switchedBootSource()) log_.log("System boots from on board chip...");
    state_ = TraceState::Running;
    return true;
}

bool TraceCapture::reapIfEnded() {
    if (!capturing() || !controller_->settled()) return false;
    finish();
    return true;
}

bool TraceCapture::unsavedRecords() const {
    return controller_ && ring_ && controller_->savedRecords() != controller_->records();
}

void TraceCapture::stop(bool dropUnsaved) {
    if (!capturing()) return;
    finish(dropUnsaved);
    log_.log("Stop SPI Traceing...");
}

void TraceCapture::finish(bool dropUnsaved) {
    state_ = TraceState::StopRequested;
    // Answered once the capture thread ended and the writer drained (or was cut short).
    controller_->stop(dropUnsaved ? capture::CaptureController::Unsaved::Drop : capture::CaptureController::Unsaved::Save);
    if (const auto left = controller_->records() - controller_->savedRecords(); ring_ && left > 0)
        log_.log("Warning: " + std::to_string(left) + " SPI trace records were not saved to the file.");
    state_ = TraceState::Stopped;
    kept_ = {};
    if (ring_) {
        ordered_.store(false, std::memory_order_relaxed);
        ordering_ = std::thread([this, controller = controller_.get()] {
            capture::yieldToOtherThreads();
            orderedLength_ = controller->orderOldestFirst();
            ordered_.store(true, std::memory_order_release);
        });
    } else {
        kept_ = {controller_->buffer(), controller_->fillLength()};
    }
    undidSwitch_ = source_->switchedBootSource();
    if (undidSwitch_) log_.log("Zelmor Hold-Pin Setting: Floating by default");
}

bool TraceCapture::reapOrdering() {
    if (!ordering() || !ordered_.load(std::memory_order_acquire)) return false;
    joinOrdering();
    return true;
}

void TraceCapture::joinOrdering() {
    if (!ordering_.joinable()) return;
    ordering_.join();
    kept_ = {controller_->buffer(), orderedLength_};
}

void TraceCapture::clear() {
    if (capturing() || ordering()) return;
    kept_ = {};
    controller_.reset();
}

CapturedTrace TraceCapture::captured() const {
    if (capturing()) return {controller_->buffer(), controller_->fillLength()};
    return kept_;
}

const std::vector<std::filesystem::path>& TraceCapture::continuousFiles() const {
    static const std::vector<std::filesystem::path> none;
    return text_ ? text_->paths() : none;
}

}  // namespace zel::gui::trace
