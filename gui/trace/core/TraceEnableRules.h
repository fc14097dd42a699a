// Which trace buttons the main view offers. The buffer is in use while a capture, the continuous
// writer or a save reads or fills it, or a stopped ring's records are being put in order: then
// neither Start nor Clear Buffer touches it.
#pragma once

namespace zel::gui::trace {

struct TraceFrame {
    bool deviceUsable = false;  // present, opened, no other program holds it, no operation runs
    bool capturing = false;     // the capture (and in ring mode its writer) runs
    bool saving = false;        // a save reads the buffer
    bool hasRecords = false;    // the buffer holds a capture
    bool ordering = false;      // a stopped ring's records are being put oldest first
};

struct TraceEnables {
    bool start = false, stop = false, save = false, clear = false, display = false;
    bool operator==(const TraceEnables&) const = default;
};

inline TraceEnables traceEnables(const TraceFrame& frame) {
    TraceEnables enables;
    const bool bufferFree = !frame.capturing && !frame.saving && !frame.ordering;
    enables.start = frame.deviceUsable && bufferFree;
    enables.stop = frame.capturing;
    enables.save = bufferFree && frame.hasRecords;
    enables.clear = bufferFree && frame.hasRecords;
    enables.display = bufferFree;
    return enables;
}

}  // namespace zel::gui::trace
