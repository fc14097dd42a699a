// Starts a zelsim for one test, talks to its control socket and reads its transfer log.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zel::test {

struct SimLogEntry {
    enum class Kind { Out, In, Control, Note } kind;
    uint64_t seq = 0;
    uint8_t endpoint = 0;
    std::array<uint8_t, 8> setup{};   // Control only
    uint64_t requested = 0;           // In only
    uint64_t length = 0;
    std::string status;               // "ok", "stall", ...
    bool whole = true;                // data holds every byte
    std::vector<uint8_t> data;        // whole data, or the first 16 bytes
    uint64_t hash = 0;                // when !whole
    std::string text;                 // Note only
};

// One line of the transfer log; throws std::runtime_error on a line it cannot read.
SimLogEntry parseSimLogLine(const std::string& line);

// The simulator runs in the foreground as a child of the test process and is told to end when
// the thread that created it ends, so a crashed test leaves no simulator behind.
class SimProcess {
public:
    // Starts `zelsim start --dir <fresh temp dir> --device profile...` plus options; throws
    // std::runtime_error when it does not come up within 10 s.
    explicit SimProcess(std::vector<std::string> devices, std::vector<std::string> options = {});
    ~SimProcess();  // sends `stop`, reaps the daemon (kills it after 5 s), removes the temp dir
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::filesystem::path& dir() const { return dir_; }
    // Sets ZELMOR_SIM=dir() and ZELMOR_SIM_TIMEOUT_MS for this process (children inherit it).
    void exportEnvironment(std::chrono::milliseconds transferTimeout = std::chrono::milliseconds(2000)) const;
    std::string control(const std::string& command) const;  // throws on an error reply
    std::vector<SimLogEntry> log(int device) const;
    void clearLog(int device) const;
    // The bulk OUT transfers of exactly 16 bytes on endpoint 0x01: the command frames.
    std::vector<std::vector<uint8_t>> commandFrames(int device) const;
    uint16_t reg(int device, uint8_t reg) const;
    static std::filesystem::path zelsimPath();  // build/bin/zelsim (compile definition)

private:
    void waitUntilReady();
    void stopAndReap() noexcept;
    std::string startupOutput() const;

    std::filesystem::path dir_;
    pid_t pid_ = -1;
};

}  // namespace zel::test
