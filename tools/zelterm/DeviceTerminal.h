// zelterm's emulator: the terminal op-code set, emulation started when it was not running (and
// stopped again at the end, as the desktop program's terminal does), the upload thread moving
// uFIFO blocks into the API's queue, and dFIFO writes made while that thread is paused.
// Threads: the thread that creates it calls everything; only the upload runs on its own thread.
#pragma once

#include "terminal/DownSend.h"
#include "terminal/UploadLoop.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zel::tools {

struct TerminalOpcode {
    std::optional<uint8_t> dedicated;  // --opcode; else Normal/Fast Read
    bool pageProgram = false;          // with Normal/Fast Read: Page Program (0x02) too
};

class DeviceTerminal {
public:
    DeviceTerminal(int index, TerminalOpcode opcode);
    ~DeviceTerminal();  // stops the upload thread and the emulation it started
    DeviceTerminal(const DeviceTerminal&) = delete;
    DeviceTerminal& operator=(const DeviceTerminal&) = delete;

    // Starts the upload thread; SIGINT and SIGTERM stay with the calling thread.
    void start();
    // Takes what the queue holds (at most buffer's size); the bytes taken.
    std::span<const uint8_t> drain(std::vector<uint8_t>& buffer);
    terminal::SendResult send(std::span<const uint8_t> bytes);
    bool usbFailed() const { return loop_.failed(); }
    // The API's receive queue was found full after an upload: the newest bytes may have been lost.
    bool queueOverflowed() const { return overflowed_; }
    void stop();

private:
    int index_;
    bool startedEmulation_ = false;
    std::atomic<bool> overflowed_{false};
    terminal::UploadLoop loop_;
};

}  // namespace zel::tools
