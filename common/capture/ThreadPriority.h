// The continuous writer yields to the capture: the ring gives it seconds of slack, while a
// capture thread that falls behind loses records in the emulator. Lowering the writer needs no
// privilege, unlike raising the capture thread.
#pragma once

namespace zel::capture {

// Makes the calling thread (only it) nicer than the rest of the process; a failure is ignored.
void yieldToOtherThreads();

}  // namespace zel::capture
