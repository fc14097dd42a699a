// The emulator's trace read-out through the API, for one device: Start Trace's steps in begin
// (empty the trace store; an emulator that does not emulate listens to the target's own flash,
// hold pin set to input), the 64 KiB burst reads in fetch, and in end the undoing of what begin
// switched. The controller calls begin and end, and fetch only on its capture thread, never at
// once. Both front ends capture through it (zeltrace and the desktop program).
#pragma once

#include "CaptureController.h"

namespace zel::capture {

class ApiTraceSource final : public TraceSource {
public:
    explicit ApiTraceSource(int index) : index_(index) {}

    void begin() override;
    bool fetch(std::span<uint8_t> buffer, uint32_t& length) override;
    void end() override;

    // begin found the emulator stopped and switched it to listen to the target's own flash.
    bool switchedBootSource() const { return switched_; }

private:
    int index_;
    bool switched_ = false;
};

}  // namespace zel::capture
