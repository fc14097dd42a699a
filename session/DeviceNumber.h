// How the front ends and tools number emulators for people: from 1 in enumeration order, every emulator found
// counted whether it could be opened or not, the way zelcmd numbers them. The API counts from 0.
#pragma once

namespace zel::session {

// The number printed for, and given with --device to name, the emulator at API index `index`.
inline int deviceNumber(int index) { return index + 1; }

}  // namespace zel::session
