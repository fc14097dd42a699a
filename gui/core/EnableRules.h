// Which commands the frame offers, from the program's state: every operation needs a present
// emulator that no other program holds and no running download, verify, read or load.
#pragma once

namespace zel::gui {

struct FrameState {
    bool devicePresent = false;
    bool otherProgramHolds = false;
    bool operationBusy = false;  // download, verify, read, load
    bool emulating = false;
    bool vccCompatible = true;
    bool chipSelected = false;
    bool traceOrTerminalRunning = false;
    bool logHasRows = false;
};

struct CommandEnables {
    bool selectChip = false;
    bool loadFile = false;
    bool download = false;
    bool verify = false;
    bool run = false;
    bool stop = false;
    bool readBack = false;
    bool bufferEditor = false;
    bool configure = false;
    bool batch = false;  // a batch may stop a running emulator itself
    bool saveLog = false;
    bool cancel = false;  // the running operation

    bool operator==(const CommandEnables&) const = default;
};

CommandEnables commandEnables(const FrameState& state);

}  // namespace zel::gui
