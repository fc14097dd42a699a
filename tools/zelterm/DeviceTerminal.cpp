#include "DeviceTerminal.h"

#include "zelapi.h"

#include <pthread.h>

#include <csignal>
#include <cstdio>

namespace zel::tools {

namespace {

using namespace std::chrono_literals;
constexpr uint8_t kHoldPinInput = 3, kHoldPinFloating = 2;
constexpr auto kPauseWait = 2000ms;
constexpr int kQueueRoomNeeded = 131071 - 512;  // the API queue's capacity less one uFIFO block  // a uFIFO transfer ends well within its own time-out

// One block into the queue; a non-empty queue afterwards counts as data, so the loop only idles
// when the target is quiet. A full queue has dropped the newest bytes: that is noted, not hidden.
std::optional<size_t> uploadOnce(int index, std::atomic<bool>& overflowed) {
    // No room for a whole block: leave the bytes in the uFIFO (the target waits) until the
    // reader catches up, rather than let the queue drop them.
    if (CliGetSPIHTQueueCounter() > kQueueRoomNeeded) return 0;
    int result = 0;
    CliUploadFIFOOf(&result, index);
    if (result != 1) return std::nullopt;
    if (CliCheckSPIHyperTerminalQueueIsFull() == 1) overflowed = true;
    return static_cast<size_t>(CliGetSPIHTQueueCounter());
}

}  // namespace

DeviceTerminal::DeviceTerminal(int index, TerminalOpcode opcode)
    : index_(index), loop_([this, index] { return uploadOnce(index, overflowed_); }) {
    if (opcode.dedicated)
        CliSetSPIHTCommandOf(*opcode.dedicated, index_);
    else
        CliEnableSPIHT02CommandOf(opcode.pageProgram ? 1 : 0, index_);
    if (CliIsMemoryEmulationRunning(index_) == 0) {
        CliSetHoldPin(kHoldPinInput, index_);
        CliSystemBootFromSPIFlash(0);
        CliStartEmulation(index_);
        startedEmulation_ = true;
        std::fprintf(stderr, "System boots from on board chip...\n");
    }
}

DeviceTerminal::~DeviceTerminal() { stop(); }

void DeviceTerminal::start() {
    // A stop signal delivered to the upload thread would cut its transfer short.
    sigset_t stops, previous;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stops, &previous);
    loop_.start();
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    std::fprintf(stderr, "Starting SPI Hyper Terminal...\n");
}

std::span<const uint8_t> DeviceTerminal::drain(std::vector<uint8_t>& buffer) {
    const int taken = CliReadSPIHTQueueBlock(buffer.data(), static_cast<int>(buffer.size()));
    return std::span<const uint8_t>(buffer).first(static_cast<size_t>(std::max(taken, 0)));
}

terminal::SendResult DeviceTerminal::send(std::span<const uint8_t> bytes) {
    // Paused piece by piece, so the target's output keeps flowing while it makes room below.
    return terminal::sendInPieces(bytes, [this](std::span<const uint8_t> piece) -> size_t {
        if (loop_.failed()) return 0;
        terminal::LoopPause pause(loop_, kPauseWait);
        if (!pause) return 0;
        std::vector<uint8_t> copy(piece.begin(), piece.end());
        return CliWriteToSPIHTdFIFOOf(copy.data(), static_cast<uint8_t>(copy.size()), index_);
    });
}

void DeviceTerminal::stop() {
    loop_.stop();
    if (!startedEmulation_) return;
    startedEmulation_ = false;
    if (loop_.failed()) return;  // the emulator is gone; nothing to switch back
    CliStopEmulation(index_);
    CliSetHoldPin(kHoldPinFloating, index_);
    std::fprintf(stderr, "ZelmorPro Hold-Pin Setting: Floating by default\n");
}

}  // namespace zel::tools
