// What the maintenance tests read back from the simulator: on-board flash contents, the command
// frames and data phases of the transfer log, compared with a report of the first difference.
#pragma once

#include "FirmwareFixtures.h"
#include "support/SimProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace zel::test::maintenance {

// Bytes of the simulated on-board flash (the simulator's `flash` dump).
Bytes flashBytes(const SimProcess& sim, int device, uint32_t address, uint32_t length);

// Frames compared one by one; on a difference the message names its position and both frames.
::testing::AssertionResult sameFrames(const std::vector<Bytes>& actual, const std::vector<Bytes>& expected);

// The data phase that followed each command frame with this opcode (in log order).
struct DataPhase {
    uint64_t length = 0;
    bool whole = true;
    Bytes data;     // whole, or the first 16 bytes
    uint64_t hash = 0;
};
std::vector<DataPhase> dataPhasesAfter(const std::vector<SimLogEntry>& log, uint8_t opcode);
// True when the logged phase carries exactly these bytes.
bool phaseCarries(const DataPhase& phase, const Bytes& bytes);

size_t countFrames(const std::vector<Bytes>& frames, uint8_t opcode);
std::string hex(const Bytes& bytes);

// Points the per-user configuration folder at a private folder for one test, so the file the
// update drops ("Varnik/Zelmor/Encryp.bin") can be watched without touching the user's own.
class ConfigHome {
public:
    ConfigHome();
    ~ConfigHome();
    ConfigHome(const ConfigHome&) = delete;
    ConfigHome& operator=(const ConfigHome&) = delete;
    std::filesystem::path encrypFile() const { return root_ / "Varnik" / "Zelmor" / "Encryp.bin"; }
    void plantEncrypFile() const;

private:
    std::filesystem::path root_;
    std::string previous_;
    bool hadPrevious_ = false;
};

}  // namespace zel::test::maintenance
