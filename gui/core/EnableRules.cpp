#include "EnableRules.h"

namespace zel::gui {

CommandEnables commandEnables(const FrameState& state) {
    CommandEnables enables;
    enables.saveLog = state.logHasRows;
    enables.cancel = state.operationBusy;
    if (!state.devicePresent || state.otherProgramHolds || state.operationBusy) return enables;
    const bool stopped = !state.emulating;
    enables.stop = state.emulating;
    enables.run = stopped && state.vccCompatible;
    enables.download = stopped;
    enables.verify = stopped;
    enables.readBack = stopped;
    enables.bufferEditor = stopped;
    const bool choosing = stopped || !state.traceOrTerminalRunning;
    enables.selectChip = choosing;
    enables.loadFile = choosing;
    enables.configure = choosing;
    // A running capture or terminal owns the emulator's transfers.
    enables.batch = state.vccCompatible && !state.traceOrTerminalRunning;
    return enables;
}

}  // namespace zel::gui
