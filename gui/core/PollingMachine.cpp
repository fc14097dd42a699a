#include "PollingMachine.h"

#include <utility>

namespace zel::gui {

PollingMachine::PollingMachine(EmulatorControl& control, HolderApi& holder, LogSink& log, PollView& view)
    : control_(control), holder_(holder), log_(log), view_(view) {}

bool PollingMachine::tick(bool busy) {
    if (busy) return false;
    const bool transfersRunning = transfersRunning_ && transfersRunning_();
    if (share_ == ShareState::Normal && emulating_ && control_.identity().present && !transfersRunning)
        view_.showLastCommand(describeLastCommand(holder_.lastCommand(control_.device())));
    if (pendingShare_ != 0) serveShareEvent();
    if (share_ == ShareState::Released) takeBack();
    return true;
}

void PollingMachine::shareEventArrived(int event, bool busy) {
    pendingShare_ = event;
    if (!busy) tick(false);
}

void PollingMachine::serveShareEvent() {
    switch (std::exchange(pendingShare_, 0)) {
    case 1:
        log_.log("ZelmorPro--other application is running");
        devicesTaken(OtherHolder::Application);
        holder_.releaseShareEvent();
        if (shareAnswered_) shareAnswered_();
        break;
    case 2:
        answerShareRequest_ = true;
        devicesReleased();
        break;
    default:
        if (shareAnswered_) shareAnswered_();  // nothing to answer: poll on
        break;
    }
}

void PollingMachine::stopTransfers() {
    for (const auto& stop : stoppers_) stop();
}

void PollingMachine::devicesTaken(OtherHolder holder) {
    other_ = holder;
    if (holder == OtherHolder::CommandLine) log_.log("ZelmorPro--CLI is running");
    share_ = ShareState::OtherHolds;
    stopTransfers();
    holder_.closeDevices();
    control_.markAbsent();
    view_.deviceStateChanged();
}

void PollingMachine::devicesReleased() {
    share_ = ShareState::Released;
}

void PollingMachine::takeBack() {
    log_.log(other_ == OtherHolder::CommandLine ? "ZelmorPro--CLI closed" : "ZelmorPro--other Application closed");
    const int opened = holder_.renumerate();
    share_ = ShareState::Normal;
    view_.devicesEnumerated(opened);
    if (answerShareRequest_) {
        holder_.releaseShareEvent();
        if (shareAnswered_) shareAnswered_();
    }
    answerShareRequest_ = false;
}

}  // namespace zel::gui
