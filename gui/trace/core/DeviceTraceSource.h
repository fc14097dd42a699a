// The emulator's trace read-out through the API for the desktop program's capture: Start Trace's
// steps in begin (empty the trace store; an emulator that does not emulate listens to the
// target's own flash with the hold pin as input), 64 KiB burst reads in fetch, and in end the
// undoing of what begin switched. The controller calls begin and end on the user-interface thread
// and fetch only on its capture thread, never at once.
#pragma once

#include "TraceSource.h"

#include <atomic>

namespace zel::gui::trace {

class DeviceTraceSource final : public capture::TraceSource {
public:
    explicit DeviceTraceSource(int index) : index_(index) {}

    void begin() override;
    bool fetch(std::span<uint8_t> buffer, uint32_t& length) override;
    void end() override;

    // begin found the emulator stopped and switched it to the target's flash.
    bool switchedBootSource() const { return switched_; }

private:
    int index_;
    bool switched_ = false;
};

}  // namespace zel::gui::trace
