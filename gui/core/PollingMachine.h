// The main view's periodic device work and its sharing of the emulators with other programs.
//
// Two timers drive tick(): a 500 ms one that never stops and a 100 ms one that runs only while
// no operation is busy. While busy a tick does no device work at all. When idle it refreshes the
// last-command panel of an emulating device and serves a share request that has arrived (the
// ShareEventWatcher takes them from the channel off this thread): a pause request lets the
// emulators go (transfers stopped first, devices closed, then answered), a regain request takes
// them back (renumerate, status refresh, then answered). The command-line tool's notices take
// the same two roads.
//
// Threads: the user-interface thread only.
#pragma once

#include <functional>
#include <vector>

#include "EmulatorControl.h"
#include "HolderApi.h"
#include "LastCommand.h"
#include "LogQueue.h"

namespace zel::gui {

enum class ShareState { OtherHolds = 3, Released = 4, Normal = 5 };
enum class OtherHolder { Application, CommandLine };

class PollView {
public:
    virtual ~PollView() = default;
    virtual void showLastCommand(const LastCommandView& view) = 0;
    // The share state changed: refresh the identity lines and controls.
    virtual void deviceStateChanged() = 0;
    // The emulators were enumerated again (opened: how many opened): choose the device, refresh
    // its status and the controls.
    virtual void devicesEnumerated(int opened) = 0;
};

class PollingMachine {
public:
    PollingMachine(EmulatorControl& control, HolderApi& holder, LogSink& log, PollView& view);

    // True when the 100 ms timer is to run again (nothing is busy).
    bool tick(bool busy);

    // A request taken from the share channel: served at once when idle, else at the next idle
    // tick. `answered` runs once it has been answered.
    void shareEventArrived(int event, bool busy);
    void setShareAnswered(std::function<void()> answered) { shareAnswered_ = std::move(answered); }

    // Another program takes the emulators: stop transfers, close the devices.
    void devicesTaken(OtherHolder holder);
    // The other program has finished with them; the next idle tick takes them back (or call
    // takeBack() at once, as the command-line tool's acknowledgement needs).
    void devicesReleased();
    void takeBack();

    // Called before the devices are let go: trace capture and terminal stop their transfers.
    void addTransferStopper(std::function<void()> stopper) { stoppers_.push_back(std::move(stopper)); }
    void stopTransfers();
    // While this says so (a trace capture runs) the emulator's transfers belong to another thread:
    // the ticks leave the device alone but still serve the share channel.
    void setTransfersRunning(std::function<bool()> running) { transfersRunning_ = std::move(running); }

    ShareState shareState() const { return share_; }
    bool emulating() const { return emulating_; }
    void setEmulating(bool emulating) { emulating_ = emulating; }

private:
    void serveShareEvent();

    EmulatorControl& control_;
    HolderApi& holder_;
    LogSink& log_;
    PollView& view_;
    ShareState share_ = ShareState::Normal;
    OtherHolder other_ = OtherHolder::Application;
    bool emulating_ = false;
    bool answerShareRequest_ = false;  // the regain came through the share channel
    int pendingShare_ = 0;             // a request taken and not yet served
    std::function<void()> shareAnswered_;
    std::vector<std::function<void()>> stoppers_;
    std::function<bool()> transfersRunning_;
};

}  // namespace zel::gui
