// The emulator's trace read-out through the API, for one device: Start Trace's steps in begin
// (empty the trace store; an emulator that does not emulate listens to the target's own flash,
// hold pin set to input), the 64 KiB burst reads in fetch, and in end the undoing of what begin
// switched. Everything runs on the capture's threads as the controller orders them.
#pragma once

#include "CaptureController.h"

namespace zel::tools {

class ApiTraceSource final : public capture::TraceSource {
public:
    explicit ApiTraceSource(int index) : index_(index) {}

    void begin() override;
    bool fetch(std::span<uint8_t> buffer, uint32_t& length) override;
    void end() override;

    // begin found the emulator stopped and set it up to listen to the target's flash.
    bool listensToTargetFlash() const { return switched_; }

private:
    int index_;
    bool switched_ = false;
};

}  // namespace zel::tools
